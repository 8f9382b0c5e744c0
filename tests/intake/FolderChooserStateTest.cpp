#include "intake/FolderChooserState.h"

#include "settings/KevaContext.h"
#include "support/TestHome.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

TEST(FolderChooserState, OkReturnsThePathAndCancelKeepsTheLastResult)
{
    TestHome home;
    FolderChooserState chooser(home.newContext());
    EXPECT_TRUE(chooser.result().isEmpty());

    chooser.open();
    EXPECT_TRUE(chooser.visible);
    chooser.txtPath = QStringLiteral("/d/first");
    chooser.Cancel();
    EXPECT_FALSE(chooser.visible);
    EXPECT_TRUE(chooser.result().isEmpty()) << "empty before the first OK";

    chooser.open();
    chooser.OK();
    EXPECT_FALSE(chooser.visible);
    EXPECT_EQ(chooser.result(), QStringLiteral("/d/first"));
    EXPECT_EQ(chooser.txtPath, QStringLiteral("/d/first")) << "the next use starts there";

    chooser.open();
    chooser.txtPath = QStringLiteral("/d/second");
    chooser.Cancel();
    EXPECT_EQ(chooser.result(), QStringLiteral("/d/first"));
}

TEST(FolderChooserState, OpenTakesTheCaptions)
{
    TestHome home;
    home.writeFile(QStringLiteral("home/Lang/English.ini"), "[KEVA]\n03000=T03000\n02006=T02006\n05004=T05004\n");
    FolderChooserState chooser(home.newContext());
    QSignalSpy changed(&chooser, &FolderChooserState::changed);
    chooser.open();
    EXPECT_EQ(changed.size(), 1);
    EXPECT_EQ(chooser.caption, QStringLiteral("T03000"));
    EXPECT_EQ(chooser.Command1, QStringLiteral("T02006"));
    EXPECT_EQ(chooser.Command2, QStringLiteral("T05004"));
}

} // namespace
