#pragma once

#include <QElapsedTimer>
#include <QIODevice>
#include <QString>
#include <QtGlobal>

#include <optional>

// One budget of bytes a second for every connection of every download. A
// connection takes what the budget allows before each read, a small piece
// at a time, so that the connections share it about evenly; one that gets
// nothing reads again after waitMs(). What it leaves unread stays with its
// socket, whose full buffer makes the server slow down.
class RateLimiter {
public:
    // A socket may hold this much unread while the limit holds.
    static constexpr qint64 kSocketBuffer = 64 * 1024;

    // Bytes a second; 0 for no limit.
    void setLimit(qint64 bytesPerSecond);
    qint64 limit() const { return limit_; }

    // How many bytes may be read now, at most `wanted`; taken from the budget.
    qint64 take(qint64 wanted);
    // Gives back what was taken and not read.
    void giveBack(qint64 bytes);
    // Milliseconds until the budget allows a read again.
    int waitMs() const;

    // Reads from `device` into `buffer` what the budget allows, at most
    // `size`; 0 when it allows nothing now or nothing is there.
    qint64 read(QIODevice& device, char* buffer, qint64 size);
    // Bytes wait in `device` that the budget did not let through.
    bool holdsBack(const QIODevice& device) const;

    // A rate as wget writes it: "300", "500k", "1.5M" (k = 1024 bytes).
    static std::optional<qint64> parseRate(const QString& text);

private:
    void refill();

    qint64 limit_ = 0;
    double budget_ = 0;
    QElapsedTimer clock_;
};
