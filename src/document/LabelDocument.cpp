#include "document/LabelDocument.h"

#include "document/BackgroundScale.h"

#include <algorithm>

int LabelDocument::itemCount() const {
    return std::clamp(TextCount, 0, MaxTextItems);
}

bool LabelDocument::insertItem(int index, const TextItem& newItem) {
    const int count = itemCount();
    if (count >= MaxTextItems || index < 0 || index > count)
        return false;
    for (int slot = count; slot > index; --slot)
        item(slot) = item(slot - 1);
    item(index) = newItem;
    TextCount = count + 1;
    return true;
}

TextItem LabelDocument::removeItem(int index) {
    const int last = itemCount() - 1;
    if (index < 0 || index > last)
        return TextItem{};
    TextItem removed = item(index);
    for (int slot = index; slot < last; ++slot)
        item(slot) = item(slot + 1);
    item(last) = TextItem{};
    TextCount = last;
    return removed;
}

void LabelDocument::centreItem(int index, CentreAxis axis) {
    TextItem& target = item(index);
    if (axis == CentreAxis::Across)
        target.Left = (LabelSideMm - target.Width) / 2;
    else
        target.Top = (LabelSideMm - target.Height) / 2;
}

void LabelDocument::moveItem(int index, float left, float top) {
    item(index).Left = left;
    item(index).Top = top;
}

namespace {
// Strictly inside the item's box: a point on an edge misses. Each sum is formed in single
// precision before it is compared, as the stored values are.
bool hits(const TextItem& item, float x, float y) {
    const float right = item.Left + item.Width;
    const float bottom = item.Top + item.Height;
    return item.Left < x && x < right && item.Top < y && y < bottom;
}
} // namespace

int LabelDocument::lowestItemAt(float x, float y) const {
    for (int index = 0; index < itemCount(); ++index) {
        if (hits(item(index), x, y))
            return index;
    }
    return -1;
}

int LabelDocument::highestItemAt(float x, float y) const {
    for (int index = itemCount() - 1; index >= 0; --index) {
        if (hits(item(index), x, y))
            return index;
    }
    return -1;
}

void LabelDocument::dragBackground(const BackgroundDragAnchor& anchor, float x, float y) {
    BackLeft = (anchor.startX - x) * (BackWidth / LabelSideMm) + anchor.backLeft;
    BackTop = (anchor.startY - y) * (BackHeight / LabelSideMm) + anchor.backTop;
}

void LabelDocument::applyScaleStep(int step, double baseMm) {
    BackWidth = BackgroundScale::shownSideMm(step, baseMm);
    BackHeight = BackWidth;
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
