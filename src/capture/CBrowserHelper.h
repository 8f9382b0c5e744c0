#pragma once

#include "core/BrowserSession.h"
#include "platform/MimeTable.h"
#include "platform/Registry.h"

#include <QString>

#include <functional>

// The browser helper's navigation filter: decides whether a URL the browser
// is about to fetch goes to KEVA instead. It reads its switch and lists from
// a registry key of its own; KEVA's settings keep their own lists, and the
// two are not kept in step. The switch is read once, when the helper is
// made; the lists at every URL.
class CBrowserHelper {
public:
    // Under HKEY_LOCAL_MACHINE.
    static inline const QString kKey = QStringLiteral("\\Software\\KEVA Software\\KEVA 3.0\\");

    // Gives the URL, with what the browser knew of it, to the running KEVA;
    // true when KEVA received it.
    using HandOff = std::function<bool(const QString& url, const BrowserSession& session)>;

    // Reads "ClickCapture": a value that reads as the number 0 switches
    // capture off; any other number, a missing or an unreadable value leave
    // it on.
    CBrowserHelper(Registry& registry, HandOff handOff = &CBrowserHelper::FindWin);

    bool captureOff() const { return captureOff_; }

    // The filter, for one URL; true when KEVA took it, so the browser must
    // not fetch it. Capture off, a scheme other than http(s):// or ftp://,
    // no extension, an unusable extension, a type that is not monitored, an
    // ignored server and a KEVA that does not run all leave it to the browser.
    // A download the browser started whose URL has no usable extension is
    // judged by the browser's file name for it, or by its MIME type (see
    // CapturedExtension). The session goes to KEVA with the URL.
    bool moBrowser_BeforeNavigate2(const QString& url, const BrowserSession& session = {}) const;

    // The hand-off to the running KEVA, as a second start of KEVA does it
    // (the text of HandOffText); true when KEVA received the URL (false when
    // it does not run).
    static bool FindWin(const QString& url, const BrowserSession& session);

private:
    QString setting(const QString& name, const QString& defaultValue) const;

    Registry& registry_;
    HandOff handOff_;
    MimeTable mimeTable_;
    bool captureOff_ = false;
};
