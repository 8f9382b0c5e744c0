#include "settings/MonitoringPage.h"

#include <algorithm>

#include "core/TextLookup.h"
#include "platform/Prompter.h"
#include "settings/CaptureTest.h"
#include "settings/SettingText.h"
#include "settings/SettingsDefaults.h"
#include "settings/SettingsPageIO.h"

namespace {

QString text(const TextLookup& lookup, const char* key)
{
    return lookup.GetText(QString::fromLatin1(key), QString());
}

QString truthText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

bool askReset(Prompter& prompter, const TextLookup& lookup, const char* questionKey)
{
    const QString question = text(lookup, questionKey) + QStringLiteral("\n\n") + text(lookup, "11021");
    return prompter.ask(question, text(lookup, "11022"), Prompter::Icon::Question, Prompter::Buttons::YesNo)
        == Prompter::Answer::Yes;
}

} // namespace

void MonitoringPage::show(SettingsPageIO& io)
{
    chkClipboard = io.settings.ClipboardMonitoring;
    chkIE = SettingText::isNumberOne(io.read("ClickCapture"));
    txtMonitorTypes = io.read("MonitorTypes");
    txtMonitorServer = io.read("MonitorServer");
}

void MonitoringPage::store(SettingsPageIO& io) const
{
    io.write("ClipboardMonitoring", chkClipboard);
    io.write("ClickCapture", chkIE);
    io.write("MonitorTypes", txtMonitorTypes);
    io.write("MonitorServer", txtMonitorServer);
}

void MonitoringPage::checkMonitorTypes(Prompter& prompter, const TextLookup& lookup) const
{
    static const QString kNotInNames = QStringLiteral("/\\:*\"<>|");
    const bool bad = std::any_of(kNotInNames.cbegin(), kNotInNames.cend(),
                                 [this](QChar c) { return txtMonitorTypes.contains(c); });
    if (bad) {
        const QString message = text(lookup, "11029");
        prompter.tell(message, message, Prompter::Icon::Critical);
    }
}

bool MonitoringPage::resetMonitorTypes(Prompter& prompter, const TextLookup& lookup)
{
    if (!askReset(prompter, lookup, "11023"))
        return false;
    txtMonitorTypes = SettingsDefaults::kMonitorTypes;
    return true;
}

bool MonitoringPage::resetMonitorServer(Prompter& prompter, const TextLookup& lookup)
{
    if (!askReset(prompter, lookup, "11020"))
        return false;
    txtMonitorServer = SettingsDefaults::kMonitorServer;
    return true;
}

void MonitoringPage::testCapture(Prompter& prompter, const TextLookup& lookup) const
{
    const bool ignored = CaptureTest::serverListed(txtMonitorServer, CaptureTest::serverName(txtTestURL));
    const bool monitored = CaptureTest::typeListed(txtMonitorTypes, CaptureTest::fileName(txtTestURL));
    const QString message = text(lookup, "11024") + QStringLiteral("\n\n") + text(lookup, "11025") + truthText(ignored)
        + QStringLiteral("\n") + text(lookup, "11026") + truthText(monitored) + QStringLiteral("\n\n")
        + text(lookup, "11027");
    prompter.tell(message, text(lookup, "11028"), Prompter::Icon::None);
}
