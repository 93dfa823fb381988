#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
#include <vector>

// Reduces a picture arriving row by row (from a decoder) to a smaller opaque picture by area
// averaging: each target pixel is the mean of the source area it covers, a source pixel on its
// border counted by the part of it that lies inside. Only two target rows of sums are kept, never
// the source, so a printed page of a large photo needs the memory of its own pixels only.
class AreaReducer {
public:
    // Where target row `y` is to be written (QImage::Format_RGB32's pixels); rows are asked for
    // in order, each once.
    using RowOut = std::function<QRgb*(int y)>;

    // How one side of the source lies on the target: source pixel i covers target coordinates
    // [start + i × step, start + (i + 1) × step), step being at most 1. What falls outside
    // [0, targetSide) is left out; each target pixel inside must be covered whole.
    struct Axis {
        double start;
        double step;
        int targetSide;
    };
    AreaReducer(int sourceWidth, int sourceHeight, Axis across, Axis down, RowOut rowOut);
    // The whole source onto the whole of `target`, the image to fill, of the reduced size.
    AreaReducer(int sourceWidth, int sourceHeight, QImage& target);

    // The next source row, `sourceWidth` pixels in QImage::Format_RGB32's byte order.
    void addRow(const std::uint8_t* bgra);

private:
    // Where a source pixel (or row) goes: `toFirst` of it into target `first`, the rest into the
    // next.
    struct Share {
        int first;
        float toFirst;
        float toNext;
    };
    static std::vector<Share> sharesOf(int sourceSide, const Axis& axis);
    void reduceAcross(const std::uint8_t* bgra);
    void finishRow();

    RowOut rowOut_;
    int targetWidth_;
    int targetHeight_;
    std::vector<Share> columns_;
    std::vector<Share> rows_;
    int sourceRow_ = 0;
    int targetRow_ = 0;
    // Four sums per target pixel (blue, green, red and alpha, as the pixels come) worked on
    // together, and a spare pixel after the last for shares that fall past it.
    using Sums = float __attribute__((vector_size(16)));
    std::vector<Sums> across_;  // the source row reduced across
    std::vector<Sums> current_; // sums of target row targetRow_
    std::vector<Sums> next_;    // sums of the row below it
};
