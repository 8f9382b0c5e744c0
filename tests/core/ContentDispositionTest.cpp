#include "core/ContentDisposition.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

struct DispositionCase {
    const char* name;
    QByteArray value;
    QByteArray expected; // UTF-8
};

class ContentDispositionCases : public testing::TestWithParam<DispositionCase> { };

TEST_P(ContentDispositionCases, GivesTheSafeFileName)
{
    const DispositionCase& c = GetParam();
    EXPECT_EQ(ContentDisposition::fileName(c.value), QString::fromUtf8(c.expected));
}

// 296 letters and ".pdf": 300 bytes, 45 too many for a file name.
const QByteArray kLongName = QByteArray(296, 'a') + ".pdf";
// 100 euro signs of three bytes each and ".pdf": a cut at 251 bytes would split a sign.
const QByteArray kLongEuros = QByteArray("\xE2\x82\xAC").repeated(100) + ".pdf";

INSTANTIATE_TEST_SUITE_P(
    Cases, ContentDispositionCases,
    testing::Values(
        DispositionCase {"Plain", "attachment; filename=\"report.pdf\"", "report.pdf"},
        DispositionCase {"Inline", "inline; filename=\"report.pdf\"", "report.pdf"},
        DispositionCase {"QuotedWithEscapes", R"(attachment; filename="say \"hi\" \a.txt")", R"(say "hi" a.txt)"},
        DispositionCase {"SemicolonInsideQuotes", "attachment; filename=\"a;b.txt\"; size=3", "a;b.txt"},
        DispositionCase {"Token", "attachment; filename=report.pdf; size=10", "report.pdf"},
        DispositionCase {"NamesWithoutRegardToCase", "ATTACHMENT; FileName = \"x.bin\"", "x.bin"},
        DispositionCase {"PercentKeptInPlainName", "attachment; filename=\"a%20b.pdf\"", "a%20b.pdf"},
        DispositionCase {"RawUtf8InPlainName", "attachment; filename=\"\xE2\x82\xAC.pdf\"", "\u20AC.pdf"},
        DispositionCase {"RawLatin1InPlainName", "attachment; filename=\"caf\xE9.txt\"", "caf\u00E9.txt"},
        DispositionCase {"EncodedWinsAfterPlain",
                         "attachment; filename=\"rates.pdf\"; filename*=UTF-8''%E2%82%AC%20rates.pdf",
                         "\u20AC rates.pdf"},
        DispositionCase {"EncodedWinsBeforePlain",
                         "attachment; filename*=utf-8'en'%E2%82%AC%20rates.pdf; filename=\"rates.pdf\"",
                         "\u20AC rates.pdf"},
        DispositionCase {"EncodedIso88591", "attachment; filename*=ISO-8859-1''caf%E9.txt", "caf\u00E9.txt"},
        DispositionCase {"EncodedUnknownCharset", "attachment; filename*=KOI8-R''%E1.txt; filename=\"a.txt\"", "a.txt"},
        DispositionCase {"EncodedBrokenEscape", "attachment; filename*=UTF-8''a%2.txt; filename=\"a.txt\"", "a.txt"},
        DispositionCase {"EncodedInvalidUtf8", "attachment; filename*=UTF-8''caf%E9.txt; filename=\"a.txt\"", "a.txt"},
        DispositionCase {"EncodedWithoutCharset", "attachment; filename*=a.txt; filename=\"b.txt\"", "b.txt"},
        DispositionCase {"ParentFolders", "attachment; filename=\"../../x\"", "x"},
        DispositionCase {"EncodedSlash", "attachment; filename*=UTF-8''..%2F..%2Fetc%2Fpasswd", "passwd"},
        DispositionCase {"WindowsPath", R"(attachment; filename="C:\\dir\\y.exe")", "y.exe"},
        DispositionCase {"DirectionOverrideRemoved", "attachment; filename*=UTF-8''invoice%E2%80%AEfdp.exe",
                         "invoicefdp.exe"},
        DispositionCase {"ControlCharactersRemoved", "attachment; filename*=UTF-8''a%00b%0D%0Ac%7F%C2%85.txt",
                         "abc.txt"},
        DispositionCase {"LeadingDotsAndBlanks", "attachment; filename=\" ..hidden.txt \"", "hidden.txt"},
        DispositionCase {"DotDot", "attachment; filename=\"..\"", ""},
        DispositionCase {"EmptyName", "attachment; filename=\"\"", ""},
        DispositionCase {"UnusableEncodedFallsBackToPlain", "attachment; filename*=UTF-8''..; filename=\"a.txt\"",
                         "a.txt"},
        DispositionCase {"Overlong", "attachment; filename=" + kLongName, QByteArray(251, 'a') + ".pdf"},
        DispositionCase {"OverlongCutBetweenCharacters", "attachment; filename=\"" + kLongEuros + "\"",
                         QByteArray("\xE2\x82\xAC").repeated(83) + ".pdf"},
        DispositionCase {"OverlongWithLongExtension", "attachment; filename=\"a." + QByteArray(300, 'b') + "\"",
                         "a." + QByteArray(253, 'b')},
        DispositionCase {"NoFileName", "attachment; size=10", ""}, DispositionCase {"TypeOnly", "attachment", ""},
        DispositionCase {"EmptyHeader", "", ""}),
    CaseName());

} // namespace
