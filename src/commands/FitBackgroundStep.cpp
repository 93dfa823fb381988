#include "commands/FitBackgroundStep.h"

#include "commands/StepNames.h"

#include <algorithm>

namespace {
BackgroundSnapshot fitted(const OpenLabel& label) {
    BackgroundSnapshot after = BackgroundSnapshot::of(label);
    const QSizeF natural = label.picture.naturalSizeMm();
    const float side = float(std::min(natural.width(), natural.height()));
    after.width = side;
    after.height = side;
    after.left = float((natural.width() - side) / 2);
    after.top = float((natural.height() - side) / 2);
    after.scaleStep = 0;
    after.zoomBaseMm = side;
    return after;
}
} // namespace

FitBackgroundStep::FitBackgroundStep(OpenLabel& label, LabelSurface& surface)
    : BackgroundStep(label, surface, StepNames::fitBackground(), BackgroundSnapshot::of(label),
                     fitted(label)) {}
