#pragma once

#include "commands/LabelStep.h"

// A change to the background between two states: the base of the steps that open, fit, zoom or
// move the picture. The selection is not touched.
class BackgroundStep : public LabelStep {
public:
    BackgroundStep(OpenLabel& label, const QString& name, BackgroundState before,
                   BackgroundState after)
        : LabelStep(label, name), before_(std::move(before)), after_(std::move(after)) {}

    void redo() override { label_.setBackground(after_); }
    void undo() override { label_.setBackground(before_); }
    QList<Picture> pictures() const override { return {before_.picture, after_.picture}; }

protected:
    BackgroundState before_;
    BackgroundState after_;
};
