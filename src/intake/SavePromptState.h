#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class DownloadWindows;
class KevaContext;

// The "Save file to?" prompt without its window: where a new download goes,
// and whether it starts now or is only listed.
class SavePromptState : public QObject {
    Q_OBJECT
public:
    SavePromptState(KevaContext& context, DownloadWindows& windows, QObject* parent = nullptr);

    QString PromptURL;
    QString txtURL;
    QString txtSaveTo;
    // Captions.
    QString caption, banner, Frame1, Label1, Label2, Command1, Command2, Command3, Command4;

    // A save-as question: caption and proposed path in, the chosen path out.
    std::function<std::optional<QString>(const QString& caption, const QString& proposed)> askSavePath;
    // Shows today's job list in the main window.
    std::function<void()> showJobList;

    // Opens the prompt for PromptURL: asks at once where to save.
    void open();
    void beginDownload(); // Command1
    void downloadLater(); // Command2
    void cancel();        // Command3
    void change();        // Command4

signals:
    void changed();
    void closed();

private:
    bool ready() const { return !txtSaveTo.isEmpty() && !txtURL.isEmpty(); }

    KevaContext& context_;
    DownloadWindows& windows_;
};
