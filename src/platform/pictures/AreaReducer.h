#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

// Reduces a picture arriving row by row (from a decoder) to a smaller opaque image by area
// averaging: each target pixel is the mean of the source area it covers, a source pixel on its
// border counted by the part of it that lies inside. Only two target rows of sums are kept, never
// the source, so a printed page of a large photo needs the memory of its own pixels only.
class AreaReducer {
public:
    // `target` is the image to fill, of the reduced size (no larger than the source's).
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
    static std::vector<Share> sharesOf(int sourceSide, int targetSide);
    void reduceAcross(const std::uint8_t* bgra);
    void finishRow();

    QImage& target_;
    std::vector<Share> columns_;
    std::vector<Share> rows_;
    int sourceRow_ = 0;
    int targetRow_ = 0;
    std::vector<float> across_;  // the source row reduced across, three sums per target pixel
    std::vector<float> current_; // sums of target row targetRow_
    std::vector<float> next_;    // sums of the row below it
};
