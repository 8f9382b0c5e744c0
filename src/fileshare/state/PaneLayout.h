#pragma once

// The sizes of the main window's panes, from its outer size: the three
// columns (folder tree, published list over page view, log), and the two
// rows of the middle column. While stopped the page view is out of sight;
// while running it takes most of the window. No pane is smaller than 10.
struct PaneLayout {
    int columns[3] = {};
    int rows[2] = {};

    static constexpr int kMinimum = 10;
    static PaneLayout compute(bool running, int width, int height);

    // The same panes in the room the splitters have: each pane keeps its size
    // as far as the room allows after the panes that follow it have their
    // minimum, and the last pane of each splitter takes what remains.
    PaneLayout fittedTo(int columnRoom, int rowRoom) const;
};
