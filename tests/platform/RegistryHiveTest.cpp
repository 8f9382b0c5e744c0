#include "platform/RegistryHive.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

const QString kRoot = QStringLiteral("HKEY_LOCAL_MACHINE");
const QStringList kKeyParts = {QStringLiteral("Software"), QStringLiteral("Quillspan Software"),
                               QStringLiteral("KEVA 1.0")};

RegistryHive parse(const char* text)
{
    return RegistryHive::parse(kRoot, QByteArray(text));
}

TEST(RegistryHive, ReadsValuesOfAnExport)
{
    const RegistryHive hive = parse("REGEDIT4\r\n\r\n"
                                    "[HKEY_LOCAL_MACHINE\\Software\\Quillspan Software\\KEVA 1.0]\r\n"
                                    "\"Timeout\"=\"60\"\r\n"
                                    "\"Path\"=\"C:\\\\Downloads \\\"new\\\"\"\r\n"
                                    "@=\"the default\"\r\n");
    EXPECT_EQ(hive.value(kKeyParts, QStringLiteral("Timeout")), QStringLiteral("60"));
    EXPECT_EQ(hive.value(kKeyParts, QStringLiteral("Path")), QStringLiteral("C:\\Downloads \"new\""));
    EXPECT_EQ(hive.value(kKeyParts, QString()), QStringLiteral("the default"));
    EXPECT_EQ(hive.unreadableLineCount(), 0);
}

TEST(RegistryHive, NamesIgnoreLetterCaseAndKeepTheirOwn)
{
    RegistryHive hive(kRoot);
    hive.setValue({QStringLiteral("Software"), QStringLiteral("Mixed")}, QStringLiteral("RunTimes"),
                  QStringLiteral("1"));
    hive.setValue({QStringLiteral("SOFTWARE"), QStringLiteral("mixed")}, QStringLiteral("RUNTIMES"),
                  QStringLiteral("2"));

    EXPECT_EQ(hive.value({QStringLiteral("software"), QStringLiteral("MIXED")}, QStringLiteral("runtimes")),
              QStringLiteral("2"));
    const QByteArray text = hive.serialize();
    EXPECT_TRUE(text.contains("[HKEY_LOCAL_MACHINE\\Software\\Mixed]")) << text.constData();
    EXPECT_TRUE(text.contains("\"RunTimes\"=\"2\"")) << text.constData();
    EXPECT_EQ(text.count("RunTimes"), 1);
}

TEST(RegistryHive, RoundTripsEveryCharacter)
{
    const QStringList texts = {
        QString(),
        QStringLiteral("plain"),
        QStringLiteral("back\\slash"),
        QStringLiteral("\"quoted\""),
        QStringLiteral("two\nlines\r\n"),
        QStringLiteral("ends with backslash\\"),
        QStringLiteral("Ünïcødé 日本 😀"),
        QStringLiteral("= [section] @="),
    };
    RegistryHive hive(kRoot);
    for (qsizetype i = 0; i < texts.size(); ++i)
        hive.setValue(kKeyParts, QStringLiteral("v%1").arg(i), texts[i]);

    const RegistryHive again = RegistryHive::parse(kRoot, hive.serialize());
    EXPECT_EQ(again.unreadableLineCount(), 0);
    for (qsizetype i = 0; i < texts.size(); ++i)
        EXPECT_EQ(again.value(kKeyParts, QStringLiteral("v%1").arg(i)), texts[i]) << i;
}

TEST(RegistryHive, CreatesKeysAboveAndListsDirectSubkeysInOrder)
{
    RegistryHive hive(kRoot);
    hive.setValue({QStringLiteral("Software"), QStringLiteral("Mozilla"), QStringLiteral("Netscape 6"),
                   QStringLiteral("Extensions")},
                  QStringLiteral("Plugins"), QStringLiteral("/p"));
    hive.createKey({QStringLiteral("Software"), QStringLiteral("Mozilla"), QStringLiteral("Firefox")});
    hive.createKey({QStringLiteral("software"), QStringLiteral("mozilla"), QStringLiteral("NETSCAPE 6")});

    EXPECT_TRUE(hive.hasKey({QStringLiteral("Software"), QStringLiteral("Mozilla")}));
    EXPECT_EQ(hive.subkeys({QStringLiteral("Software"), QStringLiteral("Mozilla")}),
              (QStringList {QStringLiteral("Netscape 6"), QStringLiteral("Firefox")}));
    EXPECT_TRUE(
        hive.subkeys({QStringLiteral("Software"), QStringLiteral("Mozilla"), QStringLiteral("Firefox")}).isEmpty());
    EXPECT_TRUE(hive.subkeys({QStringLiteral("Nowhere")}).isEmpty());
}

TEST(RegistryHive, RemovesValuesAndOnlyKeysWithoutSubkeys)
{
    RegistryHive hive(kRoot);
    hive.setValue(kKeyParts, QStringLiteral("A"), QStringLiteral("1"));
    hive.setValue(kKeyParts, QString(), QStringLiteral("default"));

    EXPECT_TRUE(hive.removeValue(kKeyParts, QStringLiteral("a")));
    EXPECT_FALSE(hive.removeValue(kKeyParts, QStringLiteral("a")));
    EXPECT_TRUE(hive.removeValue(kKeyParts, QString()));
    EXPECT_FALSE(hive.value(kKeyParts, QString()).has_value());

    EXPECT_FALSE(hive.removeKey(kKeyParts.mid(0, 2))) << "a key with subkeys stays";
    EXPECT_TRUE(hive.removeKey(kKeyParts));
    EXPECT_FALSE(hive.hasKey(kKeyParts));
    EXPECT_TRUE(hive.hasKey(kKeyParts.mid(0, 2)));
    EXPECT_FALSE(hive.removeKey(kKeyParts));
}

TEST(RegistryHive, EmptyFileIsAnEmptyHive)
{
    const RegistryHive hive = parse("");
    EXPECT_FALSE(hive.hasKey(kKeyParts));
    EXPECT_EQ(hive.unreadableLineCount(), 0);
    EXPECT_EQ(hive.serialize(), QByteArray("REGEDIT4\n\n"));
}

// Damaged files: what parses is read, what does not is carried along.
struct DamageCase {
    const char* name;
    const char* text;
    const char* readableValue; // "Good" must still read as this
    int unreadable;
};

class RegistryHiveDamage : public testing::TestWithParam<DamageCase> { };

TEST_P(RegistryHiveDamage, ReadsWhatParsesAndKeepsTheRest)
{
    const DamageCase& c = GetParam();
    RegistryHive hive = parse(c.text);
    EXPECT_EQ(hive.value(kKeyParts, QStringLiteral("Good")), QString::fromUtf8(c.readableValue));
    EXPECT_EQ(hive.unreadableLineCount(), c.unreadable);

    hive.setValue(kKeyParts, QStringLiteral("Added"), QStringLiteral("new"));
    const RegistryHive again = RegistryHive::parse(kRoot, hive.serialize());
    EXPECT_EQ(again.value(kKeyParts, QStringLiteral("Good")), QString::fromUtf8(c.readableValue));
    EXPECT_EQ(again.value(kKeyParts, QStringLiteral("Added")), QStringLiteral("new"));
    EXPECT_EQ(again.unreadableLineCount(), c.unreadable) << "the damaged lines are kept";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegistryHiveDamage,
    testing::Values(
        DamageCase {
            "CutShort",
            "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Quillspan Software\\KEVA 1.0]\n\"Good\"=\"yes\"\n\"Cut\"=\"hal",
            "yes", 1},
        DamageCase {"NoHeader", "[HKEY_LOCAL_MACHINE\\Software\\Quillspan Software\\KEVA 1.0]\n\"Good\"=\"yes\"\n",
                    "yes", 0},
        DamageCase {"GarbageBeforeSections",
                    "REGEDIT4\n\xff\xfe binary \x01\n[HKEY_LOCAL_MACHINE\\Software\\Quillspan Software\\KEVA "
                    "1.0]\n\"Good\"=\"yes\"\n",
                    "yes", 1},
        DamageCase {"ForeignRootAndTypes",
                    "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Quillspan Software\\KEVA 1.0]\n\"Good\"=\"yes\"\n"
                    "\"Count\"=dword:00000001\n[HKEY_USERS\\x]\n\"Other\"=\"1\"\n",
                    "yes", 3},
        DamageCase {"BadEscapeAndTrailingText",
                    "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Quillspan Software\\KEVA 1.0]\n\"Bad\"=\"a\\qb\"\n"
                    "\"Good\"=\"yes\" trailing\n\"Good\"=\"second\"\n",
                    "second", 2},
        DamageCase {"DuplicateSections",
                    "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Quillspan Software\\KEVA 1.0]\n\"Good\"=\"first\"\n"
                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillspan Software\\KEVA 1.0]\n\"Good\"=\"later\"\n",
                    "later", 0}),
    CaseName());

} // namespace
