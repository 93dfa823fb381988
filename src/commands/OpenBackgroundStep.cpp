#include "commands/OpenBackgroundStep.h"

#include "commands/StepNames.h"

namespace {
BackgroundState opened(const Picture& picture, const QString& path) {
    BackgroundState after;
    after.picture = picture;
    after.width = LabelSideMm;
    after.height = LabelSideMm;
    after.path = path;
    return after;
}
} // namespace

OpenBackgroundStep::OpenBackgroundStep(OpenLabel& label, const Picture& picture,
                                       const QString& path)
    : BackgroundStep(label, StepNames::openBackground(), label.background(),
                     opened(picture, path)) {}
