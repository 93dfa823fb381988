#include "platform/pictures/AreaReducer.h"

#include <algorithm>
#include <cmath>

AreaReducer::AreaReducer(int sourceWidth, int sourceHeight, QImage& target)
    : target_(target), columns_(sharesOf(sourceWidth, target.width())),
      rows_(sharesOf(sourceHeight, target.height())), across_(size_t(target.width()) * 3),
      current_(across_.size()), next_(across_.size()) {}

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
        while (targetRow_ < target_.height())
            finishRow();
}

void AreaReducer::reduceAcross(const std::uint8_t* bgra) {
    std::fill(across_.begin(), across_.end(), 0.0f);
    const int last = target_.width() - 1;
    for (const Share& column : columns_) {
        float* sum = &across_[size_t(column.first) * 3];
        for (int c = 0; c < 3; ++c)
            sum[c] += column.toFirst * bgra[c];
        if (column.toNext > 0 && column.first < last)
            for (int c = 0; c < 3; ++c)
                sum[3 + c] += column.toNext * bgra[c];
        bgra += 4;
    }
}

void AreaReducer::finishRow() {
    auto* out = reinterpret_cast<QRgb*>(target_.scanLine(targetRow_));
    const auto level = [](float sum) { return std::clamp(int(std::lround(sum)), 0, 255); };
    for (int x = 0; x < target_.width(); ++x) {
        const float* sum = &current_[size_t(x) * 3];
        out[x] = qRgb(level(sum[2]), level(sum[1]), level(sum[0]));
    }
    current_.swap(next_);
    std::fill(next_.begin(), next_.end(), 0.0f);
    ++targetRow_;
}
