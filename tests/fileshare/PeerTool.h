#pragma once

#include "support/TestLabels.h"

#include <QString>

#include <gtest/gtest.h>

// Finds a peer program on the PATH. Where it is missing, a test is skipped
// with the package to install, or fails when CI=true. A test without the
// label peer fails.
struct PeerTool {
    static QString find(const QString& program);
    static bool inCi();
    static std::string missingMessage(const QString& program, const QString& package);
};

#define REQUIRE_PEER(variable, program, package)                                                                       \
    if (const QString refusal = TestLabels::refusal(QStringLiteral("peer"), QStringLiteral(program));                  \
        !refusal.isEmpty())                                                                                            \
        FAIL() << refusal.toStdString();                                                                               \
    const QString variable = PeerTool::find(QStringLiteral(program));                                                  \
    if (variable.isEmpty()) {                                                                                          \
        if (PeerTool::inCi())                                                                                          \
            FAIL() << PeerTool::missingMessage(QStringLiteral(program), QStringLiteral(package));                      \
        GTEST_SKIP() << PeerTool::missingMessage(QStringLiteral(program), QStringLiteral(package));                    \
    }
