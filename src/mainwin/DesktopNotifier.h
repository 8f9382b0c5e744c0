#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class ShellOpener;

// Shows notices through the desktop's notification service
// (org.freedesktop.Notifications on the session bus) and carries out the
// actions offered with them: "open" opens the file, "open-folder" the folder
// that holds it. What each notice is about is kept until the service says it
// was closed.
class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kOpen = "open";
    static constexpr const char* kOpenFolder = "open-folder";

    // One offered action: its key and the caption the user sees.
    struct Action {
        QString key;
        QString caption;
    };

    DesktopNotifier(QDBusConnection bus, ShellOpener& shell, QObject* parent = nullptr);

    // Shows `body` under `title`, with `actions` on the file `filePath`.
    // False when no notification service runs on the bus or it refused.
    bool notify(const QString& title, const QString& body, const QString& filePath, const QList<Action>& actions);

private slots:
    void actionInvoked(uint id, const QString& key);
    void notificationClosed(uint id, uint reason);

private:
    QDBusConnection bus_;
    ShellOpener& shell_;
    // The file of each notice shown and not yet closed.
    QHash<uint, QString> files_;
};
