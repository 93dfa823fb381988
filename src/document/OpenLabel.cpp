#include "document/OpenLabel.h"

#include <algorithm>

void OpenLabel::insertItem(int index, const TextItem& item) {
    if (document.insertItem(index, item))
        note(LabelChange::ItemInserted, index);
}

void OpenLabel::setItem(int index, const TextItem& item) {
    if (index < 0 || index >= document.itemCount() || document.item(index) == item)
        return;
    document.item(index) = item;
    note(LabelChange::ItemChanged, index);
}

TextItem OpenLabel::removeItem(int index) {
    if (index < 0 || index >= document.itemCount())
        return TextItem{};
    TextItem removed = document.removeItem(index);
    note(LabelChange::ItemRemoved, index);
    return removed;
}

void OpenLabel::select(int index) {
    if (document.SelectedText == index)
        return;
    document.SelectedText = index;
    note(LabelChange::Selection);
}

BackgroundState OpenLabel::background() const {
    return BackgroundState{picture,
                           document.BackLeft,
                           document.BackTop,
                           document.BackWidth,
                           document.BackHeight,
                           scaleStep,
                           zoomBaseMm,
                           backgroundDialog.fileName};
}

void OpenLabel::setBackground(const BackgroundState& state) {
    const bool newPicture = picture.key() != state.picture.key();
    picture = state.picture;
    document.BackLeft = state.left;
    document.BackTop = state.top;
    document.BackWidth = state.width;
    document.BackHeight = state.height;
    scaleStep = state.scaleStep;
    zoomBaseMm = state.zoomBaseMm;
    backgroundDialog.fileName = state.path;
    note(LabelChange::Background | (newPicture ? LabelChange::PictureReplaced : 0u));
}

void OpenLabel::addListener(LabelListener* listener) {
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void OpenLabel::removeListener(LabelListener* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void OpenLabel::note(unsigned part, int item) {
    if (item >= 0) {
        if (pending_.item >= 0 && pending_.item != item)
            pendingSeveral_ = true;
        pending_.item = item;
    }
    pending_.parts |= part;
    if (editDepth_ == 0)
        tell();
}

void OpenLabel::tell() {
    LabelChange change = pending_;
    if (pendingSeveral_)
        change.item = -1;
    pending_ = LabelChange{};
    pendingSeveral_ = false;
    if (change.parts == 0)
        return;
    // A listener may stop listening while it is told.
    const std::vector<LabelListener*> listeners = listeners_;
    for (LabelListener* listener : listeners)
        listener->labelChanged(*this, change);
}
