#include "engine/FairShare.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct ShareCase {
    const char* name;
    qint64 budget;
    std::vector<qint64> wants;
    std::vector<qint64> grants;
};

class FairShareSplit : public testing::TestWithParam<ShareCase> { };

TEST_P(FairShareSplit, GivesEqualSharesAndPassesOnWhatIsNotWanted)
{
    const ShareCase& c = GetParam();
    EXPECT_EQ(FairShare(c.budget, c.wants), c.grants);
}

INSTANTIATE_TEST_SUITE_P(Cases, FairShareSplit,
                         testing::Values(ShareCase {"EqualWants", 1000, {800, 800}, {500, 500}},
                                         ShareCase {"OneWantsLessThanItsShare", 1000, {100, 2000}, {100, 900}},
                                         ShareCase {"LeftoversPassedOnTwice", 900, {100, 250, 2000}, {100, 250, 550}},
                                         ShareCase {"AnIdleReaderGetsNothing", 600, {0, 1000, 1000}, {0, 300, 300}},
                                         ShareCase {"MoreThanAllWant", 1000, {100, 200}, {100, 200}},
                                         ShareCase {"NoBudget", 0, {100, 100}, {0, 0}},
                                         ShareCase {"NoReaders", 500, {}, {}},
                                         ShareCase {"ARemainderByteEachToTheFirst", 10, {100, 100, 100}, {4, 3, 3}}),
                         CaseName());

} // namespace
