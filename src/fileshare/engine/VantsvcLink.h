#pragma once

#include "fileshare/engine/EngineLink.h"

#include <QString>

// The real engine: the program Vantsvc beside Vantrel, found by its window
// caption "VantrelrDialog" and started with "svrport=0" when it is not there.
class VantsvcLink : public EngineLink {
public:
    // How long a freshly started engine is waited for.
    static constexpr int kStartWaitMs = 10000;

    explicit VantsvcLink(QString enginePath);

    bool findOrStart() override;
    bool exists() override;
    std::optional<std::int64_t> send(std::uint32_t message, std::int64_t wParam) override;

private:
    QString enginePath_;
};
