#include "engine/FtpDialogue.h"

#include "core/TextLookup.h"

#include "ScriptedFtp.h"
#include "support/CaseName.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kDataClosed = 0; // in a script: the data connection closes

struct ScriptLine {
    int code;
    const char* text;
};

struct DialogueCase {
    const char* name;
    bool passive;
    qint64 offset;
    std::vector<ScriptLine> script;
    std::vector<const char*> sent;
    std::vector<const char*> events;
    bool overIpv6 = false;
};

QStringList texts(const std::vector<const char*>& items)
{
    QStringList list;
    for (const char* item : items)
        list << QString::fromLatin1(item);
    return list;
}

void PrintTo(const DialogueCase& c, std::ostream* os)
{
    *os << c.name;
}

class FtpDialogueScript : public testing::TestWithParam<DialogueCase> { };

// Each case plays a server's replies to one login and compares the commands
// the dialogue sent and what it told the job.
TEST_P(FtpDialogueScript, SendsEachCommandOnceAndReportsTheOutcome)
{
    const DialogueCase& c = GetParam();
    ScriptedFtp server;
    server.overIpv6 = c.overIpv6;
    const ConnectionFactory factory = server.factory();
    const TextLookup text(QStringLiteral("/nonexistent"));
    QStringList events;
    FtpDialogue dialogue(factory, text,
                         {
                             [](const FtpReply&) {},
                             [](FtpStep) {},
                             [&](qint64 size, const QByteArray& modified) {
                                 events << QStringLiteral("facts %1 %2").arg(size).arg(QString::fromLatin1(modified));
                                 return c.offset;
                             },
                             [&](qint64 size, bool restAccepted) {
                                 events << QStringLiteral("starts %1%2")
                                               .arg(size)
                                               .arg(restAccepted ? QStringLiteral(" at offset") : QString());
                                 return true;
                             },
                             [&](const char* data, qsizetype size) {
                                 events << QStringLiteral("data ") + QString::fromLatin1(data, size);
                             },
                             [&] { events << QStringLiteral("rest refused"); },
                             [&] { events << QStringLiteral("ended"); },
                             [&](const QString& message) { events << QStringLiteral("fail: ") + message; },
                             [&] { events << QStringLiteral("login refused"); },
                             [&] { events << QStringLiteral("not found"); },
                             [&](const QString& message) { events << QStringLiteral("warning: ") + message; },
                         });
    UrlParts parts;
    parts.Server = QStringLiteral("ftp.example");
    parts.Port = 21;
    parts.UserName = QStringLiteral("anonymous");
    parts.Password = QStringLiteral("guest");
    parts.RemotePath = QStringLiteral("/pub/file.bin");
    dialogue.start(parts, c.offset, c.passive);
    for (const ScriptLine& line : c.script) {
        if (line.code == kDataClosed)
            server.closeData();
        else
            server.reply(line.code, QString::fromLatin1(line.text));
    }
    QStringList sent;
    for (const QByteArray& command : server.sent)
        sent << QString::fromLatin1(command);
    EXPECT_EQ(sent, texts(c.sent));
    EXPECT_EQ(events, texts(c.events));
}

INSTANTIATE_TEST_SUITE_P(
    Logins, FtpDialogueScript,
    testing::Values(
        DialogueCase {"PassiveFromTheStart",
                      true,
                      0,
                      {{220, "hi"},
                       {331, "password"},
                       {230, "in"},
                       {227, "Entering Passive Mode (127,0,0,1,4,1)"},
                       {200, "type"},
                       {213, "1234"},
                       {213, "20261207100000"},
                       {350, "rest"},
                       {150, "Opening BINARY mode data connection (1234 bytes)"},
                       {226, "done"},
                       {kDataClosed, ""}},
                      {"USER anonymous", "PASS guest", "PASV", "TYPE I", "SIZE /pub/file.bin", "MDTM /pub/file.bin",
                       "REST 0", "RETR /pub/file.bin"},
                      {"facts 1234 20261207100000", "starts 1234 at offset", "ended"}},
        DialogueCase {"ActiveWithALateTypeReply",
                      false,
                      500,
                      {{220, "hi"},
                       {331, "password"},
                       {230, "in"},
                       {200, "port"},
                       {200, "type"},
                       {213, "1234"},
                       {213, "20261207100000"},
                       {350, "rest"}},
                      {"USER anonymous", "PASS guest", "PORT 127,0,0,1,12,77", "TYPE I", "SIZE /pub/file.bin",
                       "MDTM /pub/file.bin", "REST 500", "RETR /pub/file.bin"},
                      {"facts 1234 20261207100000"}},
        DialogueCase {"NoRestBeforeBothDataRepliesCame",
                      false,
                      0,
                      {{220, "hi"}, {331, "password"}, {230, "in"}, {200, "port"}},
                      {"USER anonymous", "PASS guest", "PORT 127,0,0,1,12,77", "TYPE I"},
                      {}},
        DialogueCase {"LoggedInWithoutAPassword", true, 0, {{220, "hi"}, {230, "in"}}, {"USER anonymous", "PASV"}, {}},
        DialogueCase {"RestRefusedStillFetchesOnce",
                      true,
                      700,
                      {{220, "hi"},
                       {331, "p"},
                       {230, "in"},
                       {227, "(127,0,0,1,4,1)"},
                       {200, "type"},
                       {213, "1234"},
                       {213, "20261207100000"},
                       {502, "no REST"},
                       {150, "here it comes"}},
                      {"USER anonymous", "PASS guest", "PASV", "TYPE I", "SIZE /pub/file.bin", "MDTM /pub/file.bin",
                       "REST 700", "RETR /pub/file.bin"},
                      {"facts 1234 20261207100000", "rest refused", "starts -1"}},
        DialogueCase {"TheEndWaitsForTheDataConnection",
                      true,
                      0,
                      {{220, "hi"},
                       {331, "p"},
                       {230, "in"},
                       {227, "(127,0,0,1,4,1)"},
                       {200, "type"},
                       {213, "1234"},
                       {213, "20261207100000"},
                       {350, "rest"},
                       {150, "(10 bytes)"},
                       {kDataClosed, ""},
                       {226, "done"}},
                      {"USER anonymous", "PASS guest", "PASV", "TYPE I", "SIZE /pub/file.bin", "MDTM /pub/file.bin",
                       "REST 0", "RETR /pub/file.bin"},
                      {"facts 1234 20261207100000", "starts 10 at offset", "ended"}},
        DialogueCase {"WrongPassword",
                      true,
                      0,
                      {{220, "hi"}, {331, "p"}, {530, "no"}},
                      {"USER anonymous", "PASS guest"},
                      {"login refused"}},
        DialogueCase {"GreetingRefused",
                      true,
                      0,
                      {{421, "too many users"}},
                      {},
                      {"fail: The server refused the connection: 421 too many users"}},
        DialogueCase {"PassiveRefused",
                      true,
                      0,
                      {{220, "hi"}, {331, "p"}, {230, "in"}, {500, "no PASV"}},
                      {"USER anonymous", "PASS guest", "PASV"},
                      {"fail: The server refused PASV: 500 no PASV"}},
        DialogueCase {"PassiveReplyWithoutAnAddress",
                      true,
                      0,
                      {{220, "hi"}, {331, "p"}, {230, "in"}, {227, "passive"}},
                      {"USER anonymous", "PASS guest", "PASV"},
                      {"fail: The server's passive reply names no address: 227 passive"}},
        DialogueCase {"FileNotFound",
                      true,
                      0,
                      {{220, "hi"},
                       {331, "p"},
                       {230, "in"},
                       {227, "(127,0,0,1,4,1)"},
                       {200, "t"},
                       {213, "1234"},
                       {213, "20261207100000"},
                       {350, "r"},
                       {550, "no"}},
                      {"USER anonymous", "PASS guest", "PASV", "TYPE I", "SIZE /pub/file.bin", "MDTM /pub/file.bin",
                       "REST 0", "RETR /pub/file.bin"},
                      {"facts 1234 20261207100000", "not found"}},
        DialogueCase {"NoDataConnection",
                      true,
                      0,
                      {{220, "hi"},
                       {331, "p"},
                       {230, "in"},
                       {227, "(127,0,0,1,4,1)"},
                       {200, "t"},
                       {213, "1234"},
                       {213, "20261207100000"},
                       {350, "r"},
                       {425, "no"}},
                      {"USER anonymous", "PASS guest", "PASV", "TYPE I", "SIZE /pub/file.bin", "MDTM /pub/file.bin",
                       "REST 0", "RETR /pub/file.bin"},
                      {"facts 1234 20261207100000", "fail: Could Not Establish Data Connection"}},
        DialogueCase {"ATransferEndBeforeTheStartIsIgnored",
                      true,
                      0,
                      {{220, "hi"},
                       {331, "p"},
                       {230, "in"},
                       {227, "(127,0,0,1,4,1)"},
                       {200, "t"},
                       {213, "1234"},
                       {213, "20261207100000"},
                       {350, "r"},
                       {226, "done"}},
                      {"USER anonymous", "PASS guest", "PASV", "TYPE I", "SIZE /pub/file.bin", "MDTM /pub/file.bin",
                       "REST 0", "RETR /pub/file.bin"},
                      {"facts 1234 20261207100000"}},
        DialogueCase {"SizeAndTimeRefused",
                      true,
                      300,
                      {{220, "hi"},
                       {230, "in"},
                       {227, "(127,0,0,1,4,1)"},
                       {200, "t"},
                       {550, "no SIZE here"},
                       {502, "no MDTM"},
                       {350, "r"}},
                      {"USER anonymous", "PASV", "TYPE I", "SIZE /pub/file.bin", "MDTM /pub/file.bin", "REST 300",
                       "RETR /pub/file.bin"},
                      {"facts -1 "}},
        DialogueCase {"Ipv6PassiveWithEpsv",
                      true,
                      0,
                      {{220, "hi"},
                       {230, "in"},
                       {229, "Entering Extended Passive Mode (|||6446|)"},
                       {200, "t"},
                       {213, "1234"},
                       {213, "20261207100000"},
                       {350, "r"}},
                      {"USER anonymous", "EPSV", "TYPE I", "SIZE /pub/file.bin", "MDTM /pub/file.bin", "REST 0",
                       "RETR /pub/file.bin"},
                      {"facts 1234 20261207100000"},
                      true},
        DialogueCase {"Ipv6EpsvRefusedFallsBackToPasv",
                      true,
                      0,
                      {{220, "hi"},
                       {230, "in"},
                       {500, "EPSV not understood"},
                       {227, "(127,0,0,1,4,1)"},
                       {200, "t"},
                       {213, "1234"},
                       {213, "20261207100000"},
                       {350, "r"}},
                      {"USER anonymous", "EPSV", "PASV", "TYPE I", "SIZE /pub/file.bin", "MDTM /pub/file.bin", "REST 0",
                       "RETR /pub/file.bin"},
                      {"facts 1234 20261207100000"},
                      true},
        DialogueCase {
            "Ipv6ActiveWithEprt",
            false,
            0,
            {{220, "hi"}, {230, "in"}, {200, "eprt"}, {200, "t"}, {213, "1234"}, {213, "20261207100000"}},
            {"USER anonymous", "EPRT |2|::1|3149|", "TYPE I", "SIZE /pub/file.bin", "MDTM /pub/file.bin", "REST 0"},
            {"facts 1234 20261207100000"},
            true},
        DialogueCase {"Ipv6EprtRefusedFallsBackToPort",
                      false,
                      0,
                      {{220, "hi"},
                       {230, "in"},
                       {500, "EPRT not understood"},
                       {200, "t"},
                       {200, "port"},
                       {213, "1234"},
                       {213, "20261207100000"}},
                      {"USER anonymous", "EPRT |2|::1|3149|", "TYPE I", "PORT 127,0,0,1,12,77", "SIZE /pub/file.bin",
                       "MDTM /pub/file.bin", "REST 0"},
                      {"facts 1234 20261207100000"},
                      true},
        DialogueCase {"Ipv6EpsvAnsweredWithoutAPort",
                      true,
                      0,
                      {{220, "hi"}, {230, "in"}, {229, "Entering Extended Passive Mode"}},
                      {"USER anonymous", "EPSV"},
                      {"fail: The server's passive reply names no address: 229 Entering Extended Passive Mode"},
                      true},
        DialogueCase {
            "RepliesNobodyAskedForAreIgnored", true, 0, {{220, "hi"}, {220, "hi again"}}, {"USER anonymous"}, {}}),
    CaseName());

TEST(FtpDialogue, ReportsTheDataPortOfEachMode)
{
    ScriptedFtp server;
    const ConnectionFactory factory = server.factory();
    const TextLookup text(QStringLiteral("/nonexistent"));
    FtpDialogue dialogue(factory, text,
                         {[](const FtpReply&) {}, [](FtpStep) {}, [](qint64, const QByteArray&) { return qint64 {0}; },
                          [](qint64, bool) { return true; }, [](const char*, qsizetype) {}, [] {}, [] {},
                          [](const QString&) {}, [] {}, [] {}, [](const QString&) {}});
    UrlParts parts;
    parts.UserName = QStringLiteral("u");
    dialogue.start(parts, 0, true);
    for (const int code : {220, 230})
        server.reply(code);
    server.reply(227, QStringLiteral("Entering Passive Mode (127,0,0,1,4,1)"));
    EXPECT_EQ(dialogue.dataPort(), 4 * 256 + 1);
    EXPECT_EQ(dialogue.step(), FtpStep::DataSetUp);

    dialogue.start(parts, 0, false);
    for (const int code : {220, 230})
        server.reply(code);
    EXPECT_EQ(dialogue.dataPort(), 12 * 256 + 77);
    EXPECT_EQ(server.opens, 2) << "each start is a new login";
}

} // namespace
