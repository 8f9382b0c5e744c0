#include "support/CaptionHelpers.h"

#include "support/TestHome.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

QString ShownCaption(const QWidget& window, const QString& control)
{
    if (control.isEmpty())
        return window.windowTitle();
    const QObject* found = window.findChild<QObject*>(control);
    if (const auto* label = qobject_cast<const QLabel*>(found))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(found))
        return button->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(found))
        return group->title();
    if (const auto* action = qobject_cast<const QAction*>(found))
        return action->text();
    return QStringLiteral("<no control %1>").arg(control);
}

void WriteNumberedLanguageFile(const TestHome& home, const QStringList& keys)
{
    QByteArray file = "[KEVA]\n";
    for (const QString& key : keys)
        file += key.toLatin1() + "=T" + key.toLatin1() + '\n';
    home.writeFile(QStringLiteral("home/Lang/English.ini"), file);
}

void InstallShippedLanguageFile(const TestHome& home)
{
    QFile shipped(TestHome::binFolder() + QStringLiteral("/Lang/English.ini"));
    shipped.open(QIODevice::ReadOnly);
    home.writeFile(QStringLiteral("home/Lang/English.ini"), shipped.readAll());
}
