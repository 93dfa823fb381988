#include "commands/LabelHistory.h"

#include <QSet>

void LabelHistory::push(std::unique_ptr<LabelStep> step) {
    step->redo();
    // Whatever was undone cannot be made again after a new change.
    while (steps_.size() > index_)
        steps_.pop_back();
    if (savedIndex_ && *savedIndex_ > index_)
        savedIndex_.reset();
    if (!tryMerge(*step)) {
        steps_.push_back(std::move(step));
        index_ = steps_.size();
    }
    label_.document.LabelChanged = true;
    trim();
    emit changed();
}

bool LabelHistory::tryMerge(const LabelStep& step) {
    if (steps_.empty() || step.id() == -1 || savedIndex_ == index_)
        return false;
    LabelStep& top = *steps_.back();
    return top.id() == step.id() && top.mergeWith(&step);
}

void LabelHistory::undo() {
    if (!canUndo())
        return;
    --index_;
    steps_[index_]->undo();
    afterMove();
}

void LabelHistory::redo() {
    if (!canRedo())
        return;
    steps_[index_]->redo();
    ++index_;
    afterMove();
}

void LabelHistory::afterMove() {
    label_.document.LabelChanged = savedIndex_ != index_;
    emit changed();
}

QString LabelHistory::undoText() const {
    return canUndo() ? steps_[index_ - 1]->text() : QString();
}

QString LabelHistory::redoText() const {
    return canRedo() ? steps_[index_]->text() : QString();
}

void LabelHistory::clear() {
    steps_.clear();
    index_ = 0;
    savedIndex_ = 0;
    emit changed();
}

qint64 LabelHistory::pictureBytes() const {
    QSet<qint64> counted{label_.picture.key()};
    qint64 bytes = 0;
    for (const auto& step : steps_) {
        for (const Picture& picture : step->pictures()) {
            if (picture.isEmpty() || counted.contains(picture.key()))
                continue;
            counted.insert(picture.key());
            bytes += picture.memoryBytes();
        }
    }
    return bytes;
}

void LabelHistory::trim() {
    while (steps_.size() > std::size_t(MaxSteps))
        dropOldest();
    while (!steps_.empty() && pictureBytes() > MaxPictureBytes)
        dropOldest();
}

void LabelHistory::dropOldest() {
    steps_.pop_front();
    if (index_ > 0)
        --index_;
    if (savedIndex_) {
        if (*savedIndex_ == 0)
            savedIndex_.reset(); // the saved state can no longer be reached
        else
            --*savedIndex_;
    }
}
