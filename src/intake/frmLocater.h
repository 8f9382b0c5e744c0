#pragma once

#include "platform/MessageWindow.h"

#include <QObject>
#include <QString>

#include <functional>

// The hidden receiver of URLs from outside: the browser helper and a second
// start of the program find it by its caption "KEVAIEObjectHelperItem" and set
// the text of its first child. A non-empty text goes to the intake at once;
// the sender's call returns 1 when the intake took it, 0 when it did not. An
// empty text (a second start without a URL) asks for the program's window.
class frmLocater : public QObject {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("KEVAIEObjectHelperItem");

    explicit frmLocater(std::function<bool(const QString& text)> intake, QObject* parent = nullptr);

    // Brings the program's window to the user.
    std::function<void()> showWindow;

    // Registers the window; false when it cannot be found by others.
    bool load();
    QString Text1() const { return text1_; }

private:
    qint64 handle(const WindowMessage& message);

    std::function<bool(const QString&)> intake_;
    MessageWindow window_;
    QString text1_;
};
