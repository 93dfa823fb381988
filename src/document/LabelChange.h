#pragma once

struct OpenLabel;

// What one edit of the open label changed, for whatever shows it: the view redraws what changed
// instead of the edits telling it how.
struct LabelChange {
    enum Part : unsigned {
        ItemInserted = 1,
        ItemChanged = 2,
        ItemRemoved = 4,
        Selection = 8,
        Background = 16,      // the placement, the scale step or the picture
        PictureReplaced = 32, // another picture (Background is set too)
    };
    unsigned parts = 0;
    int item = -1; // the item inserted, changed or removed, when it was exactly one

    bool has(unsigned part) const { return (parts & part) != 0; }
    bool isOnly(unsigned part) const { return parts == part; }
};

class LabelListener {
public:
    virtual ~LabelListener() = default;
    virtual void labelChanged(const OpenLabel& label, const LabelChange& change) = 0;
};
