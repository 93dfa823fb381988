#include "commands/FitBackgroundStep.h"

#include "commands/StepNames.h"

#include <algorithm>
#include <cmath>

namespace {
// The document keeps the placement in single precision. The side is rounded down to it, so that
// a side rounded up cannot put the corner a hair before the picture's edge, where the view
// refuses the placement.
float notAbove(double value) {
    const float rounded = float(value);
    return double(rounded) > value ? std::nextafter(rounded, 0.0f) : rounded;
}

BackgroundState fitted(const OpenLabel& label) {
    BackgroundState after = label.background();
    const QSizeF natural = label.picture.naturalSizeMm();
    const float side = notAbove(std::min(natural.width(), natural.height()));
    after.width = side;
    after.height = side;
    after.left = float((natural.width() - side) / 2);
    after.top = float((natural.height() - side) / 2);
    after.scaleStep = 0;
    after.zoomBaseMm = side;
    return after;
}
} // namespace

FitBackgroundStep::FitBackgroundStep(OpenLabel& label)
    : BackgroundStep(label, StepNames::fitBackground(), label.background(), fitted(label)) {}
