#pragma once

#include <QSize>
#include <QString>

// Photograph-like JPEGs of any size for tests and benchmarks, written row by row so that not
// even a 200-megapixel one is ever held decoded: gradients, blocks and fine noise, baseline with
// 2 × 2 chroma subsampling as phones write them.
namespace LargeJpeg {

struct Options {
    int quality = 90;
    // Noise over most of the range in every pixel and channel, as in a sharp photo of grass or
    // gravel: about 0.8 bytes a pixel (37 MB at 48 MP) instead of 0.2, and a decode that much
    // slower.
    bool highDetail = false;
    // An EXIF block (and no JFIF one) holding a thumbnail of the photo, as phones write: of the
    // photo's shape with 160 pixels on its longer side, unless a size is given.
    bool thumbnail = false;
    QSize thumbnailSize;
    // The EXIF orientation tag (1 to 8) in that block; 0 for none.
    int orientation = 0;
};

bool write(const QString& path, int width, int height, const Options& options = {});

// The photo of that size in `folder`, written at the first call and shared by the later ones;
// empty when it cannot be written.
QString inFolder(const QString& folder, int width, int height, const Options& options = {});

// The colour written at (x, y), before compression.
unsigned pixel(int x, int y, bool highDetail = false);

} // namespace LargeJpeg
