#pragma once

#include "commands/BackgroundSnapshot.h"
#include "commands/LabelStep.h"

// A change to the background between two snapshots: the base of the steps that open, fit, zoom or
// move the picture. The selection is not touched.
class BackgroundStep : public LabelStep {
public:
    BackgroundStep(OpenLabel& label, LabelSurface& surface, const QString& name,
                   BackgroundSnapshot before, BackgroundSnapshot after)
        : LabelStep(label, surface, name), before_(std::move(before)), after_(std::move(after)) {}

    void redo() override { after_.restore(label_, surface_); }
    void undo() override { before_.restore(label_, surface_); }
    QList<Picture> pictures() const override { return {before_.picture, after_.picture}; }

protected:
    BackgroundSnapshot before_;
    BackgroundSnapshot after_;
};
