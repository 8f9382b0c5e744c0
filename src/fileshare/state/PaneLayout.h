#pragma once

// The sizes of the main window's panes, from its outer size: the three
// columns (folder tree, published list over page view, log), and the two
// rows of the middle column. The columns are the same whether the site runs
// or not. While stopped the page view is out of sight; while running it takes
// most of the middle column. No pane is smaller than 10.
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
