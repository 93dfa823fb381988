#include "shapes/ItemHits.h"

#include "shapes/ItemShape.h"

namespace ItemHits {

namespace {
bool hits(const TextItem& item, float x, float y) {
    return ItemShape::of(item)->contains(QPointF(x, y));
}
} // namespace

int lowestItemAt(const LabelDocument& document, float x, float y) {
    for (int index = 0; index < document.itemCount(); ++index) {
        if (hits(document.item(index), x, y))
            return index;
    }
    return -1;
}

int highestItemAt(const LabelDocument& document, float x, float y) {
    for (int index = document.itemCount() - 1; index >= 0; --index) {
        if (hits(document.item(index), x, y))
            return index;
    }
    return -1;
}

} // namespace ItemHits
