#include "commands/OpenBackgroundStep.h"

#include "commands/StepNames.h"

namespace {
BackgroundSnapshot opened(const Picture& picture, const QString& path) {
    BackgroundSnapshot after;
    after.picture = picture;
    after.width = LabelSideMm;
    after.height = LabelSideMm;
    after.path = path;
    return after;
}
} // namespace

OpenBackgroundStep::OpenBackgroundStep(OpenLabel& label, LabelSurface& surface,
                                       const Picture& picture, const QString& path)
    : BackgroundStep(label, surface, StepNames::openBackground(), BackgroundSnapshot::of(label),
                     opened(picture, path)) {}
