#include "support/TestLabels.h"

#include <QStringList>

QString TestLabels::refusal(const QString& label, const QString& what)
{
    if (!qEnvironmentVariableIsSet("KEVA_TEST_LABELS"))
        return {};
    const QString labels = qEnvironmentVariable("KEVA_TEST_LABELS");
    if (labels.split(QLatin1Char(',')).contains(label))
        return {};
    return QStringLiteral("%1 is not started: this test is labelled \"%2\", not %3. Give it the label %3 in its "
                          "keva_add_test (see cmake/KevaTargets.cmake).")
        .arg(what, labels, label);
}
