#pragma once

#include <QString>

// Photograph-like JPEGs of any size for tests and benchmarks, written row by row so that not
// even a 200-megapixel one is ever held decoded: gradients, blocks and fine noise, baseline with
// 2 × 2 chroma subsampling as phones write them.
namespace LargeJpeg {

bool write(const QString& path, int width, int height, int quality = 90);

// The photo of that size in `folder`, written at the first call and shared by the later ones;
// empty when it cannot be written.
QString inFolder(const QString& folder, int width, int height);

// The colour written at (x, y), before compression.
unsigned pixel(int x, int y);

} // namespace LargeJpeg
