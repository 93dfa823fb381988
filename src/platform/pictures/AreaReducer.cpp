#include "platform/pictures/AreaReducer.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

// Rows arrive and leave in QImage::Format_RGB32's byte order, which is blue, green, red, alpha in
// memory on the little-endian processors the editor runs on.
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);

AreaReducer::AreaReducer(int sourceWidth, int sourceHeight, Axis across, Axis down, RowOut rowOut)
    : rowOut_(std::move(rowOut)), targetWidth_(std::max(across.targetSide, 0)),
      targetHeight_(std::max(down.targetSide, 0)), columns_(sharesOf(sourceWidth, across)),
      rows_(sharesOf(sourceHeight, down)), across_(size_t(targetWidth_) + 2),
      current_(across_.size()), next_(across_.size()) {}

AreaReducer::AreaReducer(int sourceWidth, int sourceHeight, QImage& target)
    : AreaReducer(sourceWidth, sourceHeight,
                  Axis{0, double(target.width()) / sourceWidth, target.width()},
                  Axis{0, double(target.height()) / sourceHeight, target.height()},
                  [&target](int y) { return reinterpret_cast<QRgb*>(target.scanLine(y)); }) {}

// A source pixel covers at most two target pixels. Its shares are the lengths it covers of each
// (in target pixels), so that a target pixel's shares add up to one. Whatever lies outside the
// target counts for nothing: before it, and past it (where a share of nothing goes to the last
// pixel, or a share spills into the spare one after it).
std::vector<AreaReducer::Share> AreaReducer::sharesOf(int sourceSide, const Axis& axis) {
    std::vector<Share> shares(size_t(std::max(sourceSide, 0)));
    for (int i = 0; i < sourceSide; ++i) {
        const double start = axis.start + i * axis.step, end = start + axis.step;
        const double first = std::floor(start);
        Share& share = shares[size_t(i)];
        if (end <= 0) {
            share = Share{0, 0, 0};
        } else if (first < 0) {
            share = Share{0, float(std::min(end, 1.0)), float(std::max(end - 1, 0.0))};
        } else if (first >= axis.targetSide) {
            share = Share{std::max(axis.targetSide - 1, 0), 0, 0};
        } else {
            const double inFirst = std::min(end, first + 1) - start;
            share = Share{int(first), float(inFirst), float(end - start - inFirst)};
        }
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
