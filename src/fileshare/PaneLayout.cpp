#include "fileshare/PaneLayout.h"

#include <algorithm>

namespace {

int share(double fraction, int whole)
{
    return std::max(PaneLayout::kMinimum, static_cast<int>(fraction * whole));
}

} // namespace

PaneLayout PaneLayout::compute(bool running, int width, int height)
{
    PaneLayout layout;
    if (running) {
        layout.columns[0] = share(0.1, width);
        layout.columns[1] = share(0.8, width);
        layout.columns[2] = share(0.1, width);
        layout.rows[0] = share(0.2, height);
        layout.rows[1] = share(0.8, height);
    } else {
        layout.columns[0] = share(0.36, width);
        layout.columns[1] = share(0.30, width);
        layout.columns[2] = share(0.54, width);
        layout.rows[0] = share(1.2, height);
        // The page view keeps its 1 pixel, below the usual minimum, so it is out of sight.
        layout.rows[1] = 1;
    }
    return layout;
}
