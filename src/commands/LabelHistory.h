#pragma once

#include "commands/LabelStep.h"

#include <QObject>
#include <deque>
#include <memory>
#include <optional>

// The undo history of the open label. Like QUndoStack, but it also keeps a limit on the picture
// data its steps hold, dropping the oldest steps first, which QUndoStack cannot do. Steps merge as
// QUndoCommand::mergeWith() allows, never across the saved point.
class LabelHistory : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxSteps = 100;
    static constexpr qint64 MaxPictureBytes = qint64(256) * 1024 * 1024;

    explicit LabelHistory(OpenLabel& label) : label_(label) {}

    // Makes the step (again: steps of a finished mouse drag only confirm what is shown) and keeps
    // it; the label is then changed.
    void push(std::unique_ptr<LabelStep> step);
    void undo();
    void redo();

    bool canUndo() const { return index_ > 0; }
    bool canRedo() const { return index_ < steps_.size(); }
    QString undoText() const;
    QString redoText() const;

    // A new or opened document: nothing to take back, and this is the saved state.
    void clear();
    // The label was saved: arriving here again by undo or redo clears LabelChanged.
    void markSaved() { savedIndex_ = index_; }

    int count() const { return int(steps_.size()); }
    // Picture data held only by the history (the open label's own picture is not counted).
    qint64 pictureBytes() const;

signals:
    void changed();

private:
    bool tryMerge(const LabelStep& step);
    void trim();
    void dropOldest();
    void afterMove();

    OpenLabel& label_;
    std::deque<std::unique_ptr<LabelStep>> steps_;
    std::size_t index_ = 0; // steps before it are done, the rest undone
    std::optional<std::size_t> savedIndex_ = 0;
};
