#include "settings/UserGuide.h"

#include "platform/ProgramFolder.h"
#include "settings/KevaContext.h"

#include "support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

QString guideBesideThePrograms()
{
    return TestHome::binFolder() + QStringLiteral("/help/UserGuide.html");
}

TEST(UserGuide, OpensTheCopyFoundFirst)
{
    TestHome home;
    // An installed copy: the program folder is elsewhere, the guide beside the programs.
    const ProgramFolder installed = ProgramFolder::resolve(home.programFolder(), TestHome::binFolder(), false,
                                                           QString(), home.path(QStringLiteral("user")));
    EXPECT_EQ(UserGuidePath(installed), guideBesideThePrograms());
    home.writeFile(QStringLiteral("home/help/UserGuide.html"), "<html></html>");
    EXPECT_EQ(UserGuidePath(installed), home.programFolder() + QStringLiteral("/help/UserGuide.html"))
        << "a copy of the user's own comes first";

    KevaContext& context = home.newContext();
    OpenUserGuide(context.programFolder, context.shell);
    EXPECT_EQ(home.shell.opened, QStringList {home.programFolder() + QStringLiteral("/help/UserGuide.html")});
}

// The guide built beside the programs: every picture and page it names is
// there, each picture is a PNG, and each link within the page has its target.
TEST(UserGuide, EveryFileAndSectionItNamesExists)
{
    QFile file(guideBesideThePrograms());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the build copies the guide beside the programs";
    const QString html = QString::fromUtf8(file.readAll());
    const QDir folder = QFileInfo(file.fileName()).dir();

    QSet<QString> ids;
    for (const auto& match : QRegularExpression(QStringLiteral("\\bid=\"([^\"]+)\"")).globalMatch(html))
        ids.insert(match.captured(1));

    int pictures = 0;
    for (const auto& match : QRegularExpression(QStringLiteral("\\b(src|href)=\"([^\"]+)\"")).globalMatch(html)) {
        const QString target = match.captured(2);
        if (target.startsWith(QLatin1Char('#'))) {
            EXPECT_TRUE(ids.contains(target.mid(1))) << "no section " << target.toStdString();
            continue;
        }
        ASSERT_FALSE(target.contains(QStringLiteral("://"))) << "the guide works offline: " << target.toStdString();
        QFile named(folder.filePath(target));
        ASSERT_TRUE(named.open(QIODevice::ReadOnly)) << "missing: " << target.toStdString();
        if (match.captured(1) == QStringLiteral("src")) {
            ++pictures;
            EXPECT_TRUE(named.read(8) == QByteArray("\x89PNG\r\n\x1a\n", 8)) << target.toStdString() << " is no PNG";
        }
    }
    EXPECT_GE(pictures, 18) << "every window and every settings page is pictured";
}

} // namespace
