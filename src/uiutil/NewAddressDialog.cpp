#include "uiutil/NewAddressDialog.h"

#include "core/TextLookup.h"
#include "uiutil/LayoutDirection.h"

#include <QInputDialog>

std::optional<QString> NewAddressDialog::ask(QWidget* parent, const TextLookup& text, const QString& current)
{
    QInputDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("frmNewAddress"));
    dialog.setWindowTitle(text.caption(QStringLiteral("04041"), QStringLiteral("Change Address")));
    dialog.setLabelText(
        text.caption(QStringLiteral("04042"), QStringLiteral("The address to go on downloading this file from:")));
    dialog.setOkButtonText(text.caption(QStringLiteral("02006"), QStringLiteral("OK")));
    dialog.setCancelButtonText(text.caption(QStringLiteral("05004"), QStringLiteral("&Cancel")));
    dialog.setTextValue(current);
    applyLayoutDirection(dialog, text.rightToLeft());
    // Room for a signed storage link.
    dialog.resize(640, dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QString typed = dialog.textValue().trimmed();
    if (typed.isEmpty() || typed == current)
        return std::nullopt;
    return typed;
}
