#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class KevaContext;

// The about box without its window: its captions, the version and the
// program folder it shows, and its system-information button.
class AboutState {
public:
    // The full path of a program found on the PATH; empty when there is none.
    using FindProgram = std::function<QString(const QString& name)>;

    explicit AboutState(KevaContext& context, FindProgram findProgram = {});

    // Where the system-information program is recorded, under HKEY_LOCAL_MACHINE.
    static inline const QString kMsinfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
    static inline const QString kToolsLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

    // The caption routine: the language texts, the built-in English ones
    // where the language file has none. `caption(name)` gives them.
    void applyCaptions();
    QString caption(const QString& control) const { return captions_.value(control); }
    bool rightToLeft() const;

    QString lblVersion;
    QString lblLocation;

    struct Program {
        QString path;
        QStringList arguments;
    };
    // The recorded system-information program when its file exists, else
    // the first of the desktop's own that is installed.
    std::optional<Program> systemInformationProgram() const;
    // Starts that program; without one, says so (key 11001).
    void cmdSysInfo_Click();

private:
    KevaContext& context_;
    FindProgram findProgram_;
    QHash<QString, QString> captions_;
};
