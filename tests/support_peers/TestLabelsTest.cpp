#include "support/TestLabels.h"

#include "support/CaseName.h"
#include "support/NginxServer.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

// Sets KEVA_TEST_LABELS (or unsets it) for one test and puts it back after.
class LabelsForTest {
public:
    explicit LabelsForTest(const char* labels)
    {
        if (qEnvironmentVariableIsSet(kName))
            saved_ = qgetenv(kName);
        if (labels)
            qputenv(kName, labels);
        else
            qunsetenv(kName);
    }
    ~LabelsForTest()
    {
        if (saved_)
            qputenv(kName, *saved_);
        else
            qunsetenv(kName);
    }
    LabelsForTest(const LabelsForTest&) = delete;
    LabelsForTest& operator=(const LabelsForTest&) = delete;

private:
    static constexpr const char* kName = "KEVA_TEST_LABELS";
    std::optional<QByteArray> saved_;
};

struct LabelCase {
    std::string name;
    const char* labels; // nullptr: run outside CTest
    bool peerRefused;
};

class TestLabelsCases : public testing::TestWithParam<LabelCase> { };

// A test that CTest runs without the label peer starts no peer server, so
// `ctest -L unit` needs none and stays fast.
TEST_P(TestLabelsCases, PeerServersStartOnlyInPeerTests)
{
    const LabelCase& row = GetParam();
    const LabelsForTest labels(row.labels);
    const QString refusal = TestLabels::refusal(QStringLiteral("peer"), QStringLiteral("nginx"));
    EXPECT_EQ(!refusal.isEmpty(), row.peerRefused) << refusal.toStdString();
    if (!row.peerRefused)
        return;
    EXPECT_TRUE(refusal.contains(QStringLiteral("labelled \"%1\"").arg(QLatin1String(row.labels))))
        << refusal.toStdString();
    QTemporaryDir root;
    NginxServer nginx(root.path());
    EXPECT_FALSE(nginx.start());
    EXPECT_EQ(nginx.port(), 0);
    EXPECT_EQ(nginx.errorText(), TestLabels::refusal(QStringLiteral("peer"), nginx.program()));
}

INSTANTIATE_TEST_SUITE_P(Cases, TestLabelsCases,
                         testing::Values(LabelCase {"OutsideCTest", nullptr, false}, LabelCase {"Peer", "peer", false},
                                         LabelCase {"WidgetAndPeer", "widget,peer", false},
                                         LabelCase {"Unit", "unit", true},
                                         LabelCase {"EndToEndWidget", "e2e,widget", true}),
                         CaseName());

} // namespace
