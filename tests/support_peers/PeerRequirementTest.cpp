#include "support/PeerRequirement.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

namespace {

using Outcome = PeerRequirement::Outcome;

struct RequirementCase {
    std::string name;
    bool started;
    bool installed;
    bool onCi;
    Outcome outcome;
    std::string messagePart;
};

class PeerRequirementTest : public testing::TestWithParam<RequirementCase> { };

TEST_P(PeerRequirementTest, DecidesFromInstallationAndCi)
{
    const RequirementCase& row = GetParam();
    const PeerRequirement requirement = PeerRequirement::decide(row.started, row.installed, row.onCi,
                                                                QStringLiteral("nginx-light"),
                                                                QStringLiteral("nginx did not start: bind() failed"));
    EXPECT_EQ(requirement.outcome, row.outcome);
    EXPECT_NE(requirement.message.find(row.messagePart), std::string::npos) << requirement.message;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PeerRequirementTest,
    testing::Values(RequirementCase {"StartedGoesOn", true, true, false, Outcome::Ready, ""},
                    RequirementCase {"StartedOnCiGoesOn", true, true, true, Outcome::Ready, ""},
                    RequirementCase {"MissingSkipsNamingThePackage", false, false, false, Outcome::Skip,
                                     "apt-get install nginx-light"},
                    RequirementCase {"MissingOnCiFailsNamingThePackage", false, false, true, Outcome::Fail,
                                     "nginx-light is missing"},
                    RequirementCase {"InstalledButBrokenFails", false, true, false, Outcome::Fail, "bind() failed"},
                    RequirementCase {"InstalledButBrokenOnCiFails", false, true, true, Outcome::Fail, "bind() failed"}),
    CaseName());

} // namespace
