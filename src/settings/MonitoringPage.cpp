#include "settings/MonitoringPage.h"

#include <algorithm>

#include "settings/CaptureTest.h"
#include "settings/KevaContext.h"
#include "settings/SettingText.h"
#include "settings/SettingsDefaults.h"
#include "settings/SettingsPageIO.h"

namespace {

QString text(const KevaContext& context, const char* key)
{
    return context.text.GetText(QString::fromLatin1(key), QString());
}

QString truthText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

bool askReset(KevaContext& context, const char* questionKey)
{
    const QString question = text(context, questionKey) + QStringLiteral("\n\n") + text(context, "11021");
    return context.prompter.ask(question, text(context, "11022"), Prompter::Icon::Question, Prompter::Buttons::YesNo)
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

void MonitoringPage::checkMonitorTypes(KevaContext& context) const
{
    static const QString kNotInNames = QStringLiteral("/\\:*\"<>|");
    const bool bad = std::any_of(kNotInNames.cbegin(), kNotInNames.cend(),
                                 [this](QChar c) { return txtMonitorTypes.contains(c); });
    if (bad) {
        const QString message = text(context, "11029");
        context.prompter.tell(message, message, Prompter::Icon::Critical);
    }
}

bool MonitoringPage::resetMonitorTypes(KevaContext& context)
{
    if (!askReset(context, "11023"))
        return false;
    txtMonitorTypes = SettingsDefaults::kMonitorTypes;
    return true;
}

bool MonitoringPage::resetMonitorServer(KevaContext& context)
{
    if (!askReset(context, "11020"))
        return false;
    txtMonitorServer = SettingsDefaults::kMonitorServer;
    return true;
}

void MonitoringPage::testCapture(KevaContext& context) const
{
    const bool ignored = CaptureTest::serverListed(txtMonitorServer, CaptureTest::serverName(txtTestURL));
    const bool monitored = CaptureTest::typeListed(txtMonitorTypes, CaptureTest::fileName(txtTestURL));
    const QString message = text(context, "11024") + QStringLiteral("\n\n") + text(context, "11025")
        + truthText(ignored) + QStringLiteral("\n") + text(context, "11026") + truthText(monitored)
        + QStringLiteral("\n\n") + text(context, "11027");
    context.prompter.tell(message, text(context, "11028"), Prompter::Icon::None);
}
