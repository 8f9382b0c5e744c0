#include "fileshare/http/UrlPath.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

using Verdict = UrlPath::Verdict;

struct DecodeCase {
    const char* name;
    const char* target;
    Verdict verdict;
    const char* path = "";
    // The path read with every "-_-" as a blank, as older listings wrote
    // them; "" when the target holds none.
    const char* blankPath = "";
};

class DecodeCases : public testing::TestWithParam<DecodeCase> { };

TEST_P(DecodeCases, DecodesOnceAndRefusesAmbiguousPaths)
{
    const DecodeCase& c = GetParam();
    const UrlPath::Result result = UrlPath::decode(c.target);
    EXPECT_EQ(result.verdict, c.verdict);
    if (c.verdict == Verdict::Ok) {
        EXPECT_EQ(result.path, c.path);
        EXPECT_EQ(result.blankPath, c.blankPath);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeCases,
    testing::Values(DecodeCase {"Plain", "/a/b.txt", Verdict::Ok, "/a/b.txt"},
                    DecodeCase {"PercentBlank", "/my%20file.zip", Verdict::Ok, "/my file.zip"},
                    DecodeCase {"DashBlank", "/my-_-file.zip", Verdict::Ok, "/my-_-file.zip", "/my file.zip"},
                    DecodeCase {"DashBlankInFolder", "/a-_-b/c%20d-_-e", Verdict::Ok, "/a-_-b/c d-_-e", "/a b/c d e"},
                    DecodeCase {"OnlyTheExactTriple", "/a-_b_-c--_--", Verdict::Ok, "/a-_b_-c--_--", "/a-_b_-c- -"},
                    DecodeCase {"EncodedDashBlank", "/x%2D_%2Dy", Verdict::Ok, "/x-_-y", "/x y"},
                    DecodeCase {"Utf8", "/%C3%A9t%C3%A9.txt", Verdict::Ok, "/\xC3\xA9t\xC3\xA9.txt"},
                    DecodeCase {"QueryDropped", "/a.txt?x=../../etc", Verdict::Ok, "/a.txt"},
                    DecodeCase {"FragmentDropped", "/a.txt#top", Verdict::Ok, "/a.txt"},
                    DecodeCase {"AbsoluteForm", "http://host:8/dir2/a", Verdict::Ok, "/dir2/a"},
                    DecodeCase {"DecodedOnlyOnce", "/%252e%252e/x", Verdict::Ok, "/%2e%2e/x"},
                    DecodeCase {"DotsInName", "/a..b/c...", Verdict::Ok, "/a..b/c..."},
                    DecodeCase {"DotDot", "/../etc/passwd", Verdict::Refused},
                    DecodeCase {"DotDotEncoded", "/%2e%2e/etc/passwd", Verdict::Refused},
                    DecodeCase {"DotDotAtEnd", "/a/..", Verdict::Refused},
                    DecodeCase {"EncodedSlash", "/a%2fb", Verdict::Malformed},
                    DecodeCase {"Backslash", "/a\\b", Verdict::Malformed},
                    DecodeCase {"EncodedBackslash", "/..%5c..%5cetc", Verdict::Malformed},
                    DecodeCase {"EncodedNul", "/a.txt%00.html", Verdict::Malformed},
                    DecodeCase {"EncodedNewline", "/a%0d%0aSet-Cookie:x", Verdict::Malformed},
                    DecodeCase {"BadEscape", "/a%zz", Verdict::Malformed},
                    DecodeCase {"CutEscape", "/a%4", Verdict::Malformed},
                    DecodeCase {"Relative", "a/b", Verdict::Malformed}, DecodeCase {"Star", "*", Verdict::Malformed}),
    CaseName());

} // namespace
