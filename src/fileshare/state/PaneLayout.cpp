#include "fileshare/state/PaneLayout.h"

#include <algorithm>
#include <span>

namespace {

int share(double fraction, int whole)
{
    return std::max(PaneLayout::kMinimum, static_cast<int>(fraction * whole));
}

// A pane's least size: the usual minimum, or less when it asks for less.
int least(int size)
{
    return std::min(PaneLayout::kMinimum, size);
}

void fit(std::span<int> panes, int room)
{
    for (std::size_t i = 0; i + 1 < panes.size(); ++i) {
        int after = 0;
        for (std::size_t j = i + 1; j < panes.size(); ++j)
            after += least(panes[j]);
        panes[i] = std::max(least(panes[i]), std::min(panes[i], room - after));
        room -= panes[i];
    }
    panes.back() = std::max(least(panes.back()), room);
}

} // namespace

PaneLayout PaneLayout::compute(bool running, int width, int height)
{
    PaneLayout layout;
    // The folder tree and the log keep their widths whether the site runs or
    // not: narrowed to a tenth of the window they would cut off their text.
    layout.columns[0] = share(0.36, width);
    layout.columns[1] = share(0.30, width);
    layout.columns[2] = share(0.54, width);
    if (running) {
        layout.rows[0] = share(0.2, height);
        layout.rows[1] = share(0.8, height);
    } else {
        layout.rows[0] = share(1.2, height);
        // The page view keeps its 1 pixel, below the usual minimum, so it is out of sight.
        layout.rows[1] = 1;
    }
    return layout;
}

PaneLayout PaneLayout::fittedTo(int columnRoom, int rowRoom) const
{
    PaneLayout fitted = *this;
    fit(fitted.columns, columnRoom);
    fit(fitted.rows, rowRoom);
    return fitted;
}
