#pragma once

#include <QString>

#include <array>

// The sub-items of a row by name, numbered as the lists number them.
namespace JobColumn {
enum : int { SavePath = 1, Percent = 2, Size = 3, Received = 4, Status = 5, Url = 6, Date = 7 };
} // namespace JobColumn

namespace JobStatus {
// The status of a row that is listed and has not started.
inline const QString kNotDownloaded = QStringLiteral("Not Downloaded");
// The status of a row that waits for its turn in the download queue. Kept in
// the history as it stands, so that the row waits again after a restart.
inline const QString kQueued = QStringLiteral("Queued");
} // namespace JobStatus

// One row of the job list: sub-item 1 save path, 2 percentage, 3 size,
// 4 received size, 5 status, 6 URL, 7 date (history rows only).
struct JobRow {
    static constexpr int kSubItems = 7;

    std::array<QString, kSubItems + 1> subItems; // entry 0 unused
    bool selected = false;

    const QString& subItem(int k) const { return subItems[static_cast<std::size_t>(k)]; }
};
