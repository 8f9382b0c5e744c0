#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class KevaContext;
class SiteCrawl;

// The site-download dialog without its window: the file types a crawl
// follows, the limit of links per page and whether download windows close
// when done. Next stores the choices, hands them to the crawl, turns the
// site-download mode on and opens the add-URL dialog for the start page.
class SiteDownloadState : public QObject {
    Q_OBJECT
public:
    SiteDownloadState(KevaContext& context, SiteCrawl& crawl, QObject* parent = nullptr);

    // The controls.
    bool chkTxt = true;
    bool chkGif = false;
    bool chkAll = false;
    bool optNoLim = true;
    bool optFiles = false;
    QString txtNum = QStringLiteral("10");
    bool chkCloseWindow = false;
    // The enabling rule: the two type boxes are off while "All Files" is
    // checked; the number and its label only while the limit is chosen.
    bool chkTxtEnabled = true;
    bool chkGifEnabled = true;
    bool txtNumEnabled = false;
    bool visible = false;
    // The text each control shows, by the control's name ("frmSiteDown" is
    // the title); the built-in English where the language file has none.
    QString caption(const QString& control) const { return captions_.value(control); }
    bool rightToLeft() const;

    // Opens the add-URL dialog for the start page (after Next).
    std::function<void()> openAddUrl;

    // The dialog is shown: the stored choices, the captions and the enabling.
    void showDialog();
    // Copies the choices into the crawl's options; the close-window box
    // shows the stored value.
    void Save();

    // Commands of the dialog.
    void setTxt(bool checked);
    void setGif(bool checked);
    void chkAll_Click(bool checked);
    void optNoLim_Click();
    void optFiles_Click();
    void setNumber(const QString& typed) { txtNum = typed; }
    // The number box loses the focus: a number from 1 to 99 is written as a
    // whole number; anything else is refused with a message. Says whether
    // the number stands.
    bool txtNum_LostFocus();
    void setCloseWindow(bool checked) { chkCloseWindow = checked; }
    void cmdNext();
    void cmdCancel();

signals:
    void changed();
    void closed();

private:
    void load();
    void applyEnabling();
    void store() const;

    KevaContext& context_;
    SiteCrawl& crawl_;
    QHash<QString, QString> captions_;
};
