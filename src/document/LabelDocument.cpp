#include "document/LabelDocument.h"

bool LabelDocument::insertItem(int index, const TextItem& newItem) {
    if (isFull() || index < 0 || index > itemCount())
        return false;
    TextItems.insert(TextItems.begin() + index, newItem);
    return true;
}

TextItem LabelDocument::removeItem(int index) {
    if (index < 0 || index >= itemCount())
        return TextItem{};
    TextItem removed = std::move(TextItems[std::size_t(index)]);
    TextItems.erase(TextItems.begin() + index);
    return removed;
}

void LabelDocument::dragBackground(const BackgroundDragAnchor& anchor, float x, float y) {
    BackLeft = (anchor.startX - x) * (BackWidth / LabelSideMm) + anchor.backLeft;
    BackTop = (anchor.startY - y) * (BackHeight / LabelSideMm) + anchor.backTop;
}

bool LabelDocument::backgroundOnPicture(QSizeF pictureMm) const {
    // Written so that NaN is refused too.
    return BackLeft >= 0 && BackLeft < pictureMm.width() && BackTop >= 0 &&
           BackTop < pictureMm.height();
}

bool LabelDocument::putBackgroundOnPicture(QSizeF pictureMm) {
    if (backgroundOnPicture(pictureMm))
        return false;
    BackLeft = 0;
    BackTop = 0;
    return true;
}
