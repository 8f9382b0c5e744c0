#pragma once

#include <QObject>
#include <QSignalBlocker>

#include <vector>

// Blocks the signals of every child of an object while it lives: a view that
// sets its controls from its state must not have them write back into it.
class ChildSignalBlocker {
public:
    explicit ChildSignalBlocker(const QObject& parent)
    {
        for (QObject* child : parent.findChildren<QObject*>())
            blockers_.emplace_back(child);
    }

private:
    std::vector<QSignalBlocker> blockers_;
};
