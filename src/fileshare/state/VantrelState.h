#pragma once

#include "fileshare/engine/PublishedFolderList.h"
#include "fileshare/state/LogText.h"
#include "fileshare/state/PaneLayout.h"
#include "platform/ProgramFolder.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class EngineLink;
class Prompter;
class ShellOpener;

// Everything Vantrel's window shows, and every command it offers: the port
// box, the status label, the published folders, the site page, the log, and
// whether the site runs. The window is a thin view over this object; tests
// drive it without one.
class VantrelState : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Kel Vantrel 2.0";
    static constexpr const char* kReceiverCaption = "vantrelrecdlg";
    static constexpr const char* kInstanceName = "oneInstanceMutextKelVantrel";
    static constexpr int kMaxPortCharacters = 5;

    using AddressSource = std::function<QStringList()>;

    VantrelState(ProgramFolder folder, Prompter& prompter, ShellOpener& shell, EngineLink& engine,
                 AddressSource addresses, QObject* parent = nullptr);

    bool running() const { return running_; }
    QString portText() const { return portText_; }
    QString statusText() const;
    const PublishedFolderList& folders() const { return folders_; }
    const LogText& log() const { return log_; }
    QString sitePagePath() const { return folder_.file(QStringLiteral("vantrel.htm")); }
    PaneLayout layout(int width, int height) const { return PaneLayout::compute(running_, width, height); }

    // Start-up: the saved log, port and folders, where present.
    void loadSavedState();

    void setPortText(const QString& text);
    void addFolder(const QString& selectedPath);
    void deleteFolder(int selectedRow);
    void openFolder(int row);
    void start();
    void stop();
    void clearLog();
    void help();
    // Message 1326 from the engine: vantrel.per holds new log text.
    void logReady();
    // The main window is closing: the engine quits, the state files are written.
    void closing();

signals:
    void runningChanged();
    void foldersChanged();
    void portTextChanged();
    // `removedLines` old lines after the header went before `piece` was added.
    void logAppended(const QString& piece, int removedLines);
    void logReset();
    void sitePageReady(const QString& path);

private:
    void setRunning(bool running);
    void appendLog(const QString& piece);
    void saveListAndPort();
    void warn(const QString& text);

    ProgramFolder folder_;
    Prompter& prompter_;
    ShellOpener& shell_;
    EngineLink& engine_;
    AddressSource addresses_;
    bool running_ = false;
    QString portText_ = QStringLiteral("608");
    PublishedFolderList folders_;
    LogText log_;
};
