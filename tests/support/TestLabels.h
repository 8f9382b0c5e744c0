#pragma once

#include <QString>

// The CTest labels of the running test, which keva_add_test hands over in
// KEVA_TEST_LABELS ("widget,peer"; see cmake/KevaTargets.cmake). A test that
// starts something a label stands for asks here first, so that a test that
// lacks the label fails instead of slowing down `ctest -L unit`. Outside CTest
// (the variable unset) a test may start anything.
class TestLabels {
public:
    // Empty when the running test carries `label`; else the message that
    // refuses to start `what`.
    static QString refusal(const QString& label, const QString& what);
};
