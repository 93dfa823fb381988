#include "platform/pictures/AreaReducer.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
// (in target pixels), so that a target pixel's shares add up to one; a target pixel only partly
// covered (where the picture ends) has its shares raised to add up to one, so that it is the mean
// of what there is. Whatever lies outside the target counts for nothing: before it, and past it
// (where a share of nothing goes to the last pixel, or a share spills into the spare one after
// it).
std::vector<AreaReducer::Share> AreaReducer::sharesOf(int sourceSide, const Axis& axis) {
    std::vector<Share> shares(size_t(std::max(sourceSide, 0)));
    std::vector<double> covered(size_t(std::max(axis.targetSide, 0)) + 2, 0.0);
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
        covered[size_t(share.first)] += share.toFirst;
        covered[size_t(share.first) + 1] += share.toNext;
    }
    for (Share& share : shares) {
        const double first = covered[size_t(share.first)], next = covered[size_t(share.first) + 1];
        if (first > 0 && first < 0.999)
            share.toFirst = float(share.toFirst / first);
        if (next > 0 && next < 0.999)
            share.toNext = float(share.toNext / next);
    }
    return shares;
}

namespace {

using Sums = float __attribute__((vector_size(16)));

// A pixel's four bytes as four sums.
Sums sumsOf(const std::uint8_t* bgra) {
    int raw;
    std::memcpy(&raw, bgra, sizeof raw);
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    return Sums(
        _mm_cvtepi32_ps(_mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(raw), zero), zero)));
#else
    using Bytes = std::uint8_t __attribute__((vector_size(4)));
    Bytes bytes;
    std::memcpy(&bytes, &raw, sizeof bytes);
    return __builtin_convertvector(bytes, Sums);
#endif
}

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

// A pixel's four channels are added up together, as one vector, and the two target pixels a
// source pixel falls into are summed in registers until the next begins: a page of a large photo
// reduces tens of millions of source pixels. A source pixel spans at most one target pixel, so the
// target pixel summed advances one at a time.
void AreaReducer::reduceAcross(const std::uint8_t* bgra) {
    std::fill(across_.begin(), across_.end(), Sums{});
    if (columns_.empty())
        return;
    size_t at = size_t(columns_.front().first);
    Sums first{}, second{}; // of target pixels `at` and `at` + 1
    for (const Share& column : columns_) {
        while (at < size_t(column.first)) {
            across_[at++] = first;
            first = second;
            second = Sums{};
        }
        const Sums value = sumsOf(bgra);
        first += column.toFirst * value;
        second += column.toNext * value;
        bgra += 4;
    }
    across_[at] = first;
    across_[at + 1] = second;
}

namespace {

// Sums (never negative; rounding may take one a hair past 255) to opaque pixels.
#if defined(__SSE2__)
// Four pixels at a time: the packing instructions clamp to 0..255 on the way.
void toPixels(const float* sums, int count, std::uint8_t* out) {
    const __m128 half = _mm_set1_ps(0.5f);
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    const auto level = [&](int k) {
        return _mm_cvttps_epi32(_mm_add_ps(_mm_loadu_ps(sums + 4 * k), half));
    };
    int x = 0;
    for (; x + 4 <= count; x += 4) {
        const __m128i low = _mm_packs_epi32(level(x), level(x + 1));
        const __m128i high = _mm_packs_epi32(level(x + 2), level(x + 3));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x),
                         _mm_or_si128(_mm_packus_epi16(low, high), opaque));
    }
    for (; x < count; ++x) {
        const __m128i one = _mm_packs_epi32(level(x), level(x));
        const int pixel = _mm_cvtsi128_si32(_mm_or_si128(_mm_packus_epi16(one, one), opaque));
        std::memcpy(out + 4 * x, &pixel, 4);
    }
}
#else
void toPixels(const float* sums, int count, std::uint8_t* out) {
    for (int k = 0; k < count * 4; ++k)
        out[k] = (k & 3) == 3 ? 0xFF : std::uint8_t(std::min(int(sums[k] + 0.5f), 255));
}
#endif

} // namespace

void AreaReducer::finishRow() {
    toPixels(reinterpret_cast<const float*>(current_.data()), targetWidth_,
             reinterpret_cast<std::uint8_t*>(rowOut_(targetRow_)));
    current_.swap(next_);
    std::fill(next_.begin(), next_.end(), Sums{});
    ++targetRow_;
}
