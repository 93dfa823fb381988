#pragma once

#include <climits>

// A band of device pixel rows [first, end) of the image being drawn. The screen's redraw draws the
// label band by band, so that each band's pixels are still in the processor's cache when the text
// is laid on the picture; the whole image is the default.
struct DeviceRows {
    int first = 0;
    int end = INT_MAX;

    bool whole() const { return first <= 0 && end == INT_MAX; }
};
