#include "platform/pictures/AreaReducer.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

// Rows arrive and leave in QImage::Format_RGB32's byte order, which is blue, green, red, alpha in
// memory on the little-endian processors the editor runs on.
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);

AreaReducer::AreaReducer(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight,
                         RowOut rowOut)
    : rowOut_(std::move(rowOut)), targetWidth_(targetWidth), targetHeight_(targetHeight),
      columns_(sharesOf(sourceWidth, targetWidth)), rows_(sharesOf(sourceHeight, targetHeight)),
      across_(size_t(std::max(targetWidth, 0) + 1)), current_(across_.size()),
      next_(across_.size()) {}

AreaReducer::AreaReducer(int sourceWidth, int sourceHeight, QImage& target)
    : AreaReducer(sourceWidth, sourceHeight, target.width(), target.height(),
                  [&target](int y) { return reinterpret_cast<QRgb*>(target.scanLine(y)); }) {}

// In whole units: a source pixel spans targetSide units and a target pixel sourceSide, so every
// overlap is exact and each target pixel's shares add up to one.
std::vector<AreaReducer::Share> AreaReducer::sharesOf(int sourceSide, int targetSide) {
    std::vector<Share> shares(size_t(std::max(sourceSide, 0)));
    const std::int64_t source = sourceSide, target = targetSide;
    for (std::int64_t i = 0; i < source; ++i) {
        const std::int64_t start = i * target, end = start + target;
        const std::int64_t first = start / source;
        const std::int64_t inFirst = std::min(end, (first + 1) * source) - start;
        shares[size_t(i)] = Share{int(first), float(double(inFirst) / double(source)),
                                  float(double(target - inFirst) / double(source))};
    }
    return shares;
}

namespace {
using Bytes = std::uint8_t __attribute__((vector_size(4)));
using Levels = std::int32_t __attribute__((vector_size(16)));
} // namespace

void AreaReducer::addRow(const std::uint8_t* bgra) {
    if (sourceRow_ >= int(rows_.size()))
        return;
    const Share row = rows_[size_t(sourceRow_++)];
    while (targetRow_ < row.first)
        finishRow();
    reduceAcross(bgra);
    for (size_t k = 0; k < across_.size(); ++k) {
        current_[k] += row.toFirst * across_[k];
        next_[k] += row.toNext * across_[k];
    }
    if (sourceRow_ == int(rows_.size()))
        while (targetRow_ < targetHeight_)
            finishRow();
}

// A pixel's four channels are added up together, as one vector: a page of a large photo reduces
// tens of millions of source pixels.
void AreaReducer::reduceAcross(const std::uint8_t* bgra) {
    std::fill(across_.begin(), across_.end(), Sums{});
    for (const Share& column : columns_) {
        Bytes pixel;
        std::memcpy(&pixel, bgra, sizeof pixel);
        const Sums value = __builtin_convertvector(pixel, Sums);
        across_[size_t(column.first)] += column.toFirst * value;
        across_[size_t(column.first) + 1] += column.toNext * value;
        bgra += 4;
    }
}

void AreaReducer::finishRow() {
    auto* out = reinterpret_cast<std::uint8_t*>(rowOut_(targetRow_));
    const Levels top = {255, 255, 255, 255};
    for (int x = 0; x < targetWidth_; ++x) {
        // Sums are never negative; rounding error may take one a hair past 255.
        Levels level = __builtin_convertvector(current_[size_t(x)] + 0.5f, Levels);
        const Levels over = level > top;
        level = (level & ~over) | (top & over);
        const Bytes pixel = __builtin_convertvector(level, Bytes);
        std::memcpy(out + size_t(x) * 4, &pixel, sizeof pixel);
        out[size_t(x) * 4 + 3] = 0xFF;
    }
    current_.swap(next_);
    std::fill(next_.begin(), next_.end(), Sums{});
    ++targetRow_;
}
