#include "support/CaptionHelpers.h"

#include "core/TextLookup.h"
#include "settings/KevaContext.h"
#include "support/TestHome.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
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
    if (const auto* menu = qobject_cast<const QMenu*>(found))
        return menu->title();
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

void UseShippedLanguage(const TestHome& home, KevaContext& context, const char* language)
{
    home.installLanguageFiles();
    context.text.setLanguageFile(QString::fromLatin1(language) + QStringLiteral(".ini"));
}

void ExpectShippedLanguageTexts(const QWidget& window, const char* language,
                                std::initializer_list<std::pair<const char*, const char*>> controlKeys)
{
    const QString folder = TestHome::binFolder() + QStringLiteral("/Lang");
    const QString languageFile = QString::fromLatin1(language) + QStringLiteral(".ini");
    const TextLookup shipped(folder, languageFile);
    const TextLookup english(folder);
    int translated = 0;
    for (const auto& [control, key] : controlKeys) {
        const QString text = shipped.GetText(QString::fromLatin1(key));
        EXPECT_FALSE(text.isEmpty()) << language << " has no text for " << key;
        EXPECT_EQ(ShownCaption(window, QString::fromLatin1(control)), text) << language << ", " << control;
        translated += text != english.GetText(QString::fromLatin1(key)) ? 1 : 0;
    }
    if (languageFile != QStringLiteral("English.ini")) {
        EXPECT_GT(2 * translated, static_cast<int>(controlKeys.size())) << language << ": mostly English";
    }
    EXPECT_EQ(window.layoutDirection(),
              languageFile == QStringLiteral("Arabic.ini") ? Qt::RightToLeft : Qt::LeftToRight)
        << language;
}
