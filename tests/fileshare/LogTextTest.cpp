#include "fileshare/state/LogText.h"

#include <gtest/gtest.h>

namespace {

LogText fullLog()
{
    LogText log;
    for (int i = 1; i < LogText::kMaxLines; ++i)
        log.appendLine(QStringLiteral("line %1").arg(i));
    return log;
}

TEST(LogText, StartsWithTheHeaderLine)
{
    const LogText log;
    EXPECT_EQ(log.text(), QStringLiteral("This is the log window. MaxLine=5000\r\n"));
    EXPECT_EQ(log.lineCount(), 1);
}

TEST(LogText, OneMoreLineThanTheCapRemovesTheLineAfterTheHeader)
{
    LogText log = fullLog();
    ASSERT_EQ(log.lineCount(), 5000);
    EXPECT_EQ(log.appendLine(QStringLiteral("newest")), 1);
    EXPECT_EQ(log.lineCount(), 5000);
    EXPECT_TRUE(log.text().startsWith(LogText::header() + QStringLiteral("line 2\r\n")));
    EXPECT_TRUE(log.text().endsWith(QStringLiteral("line 4999\r\nnewest\r\n")));
}

TEST(LogText, APieceOfManyLinesStillKeepsTheCap)
{
    LogText log = fullLog();
    EXPECT_EQ(log.append(QStringLiteral("a\r\nb\r\nc\r\n")), 3);
    EXPECT_EQ(log.lineCount(), 5000);
    EXPECT_EQ(log.text().count(QLatin1Char('\n')), 5000);
    EXPECT_TRUE(log.text().startsWith(LogText::header() + QStringLiteral("line 4\r\n")));
}

TEST(LogText, PiecesWithoutLineEndsJoinTheLastLine)
{
    LogText log;
    log.append(QStringLiteral("GET / 200"));
    log.append(QStringLiteral(" 512\r\n"));
    EXPECT_EQ(log.lineCount(), 2);
    EXPECT_EQ(log.text(), LogText::header() + QStringLiteral("GET / 200 512\r\n"));
}

TEST(LogText, ClearAndLoad)
{
    LogText log = fullLog();
    log.clear();
    EXPECT_EQ(log.text(), LogText::header());

    log.setText(LogText::header() + QStringLiteral("saved\r\n"));
    EXPECT_EQ(log.lineCount(), 2);
    log.setText(QStringLiteral("no header here\r\n"));
    EXPECT_EQ(log.text(), LogText::header() + QStringLiteral("no header here\r\n"));
    log.setText(QString());
    EXPECT_EQ(log.text(), LogText::header());
}

} // namespace
