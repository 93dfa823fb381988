#include "support/LargeJpeg.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace LargeJpeg {

unsigned pixel(int x, int y) {
    const unsigned hash = (unsigned(x) * 73856093u) ^ (unsigned(y) * 19349663u);
    const unsigned noise = (hash >> 13) % 16;
    const unsigned block = ((x >> 7) + (y >> 7)) & 1 ? 60 : 0;
    const unsigned red = ((unsigned(x) >> 5) + noise) & 255;
    const unsigned green = ((unsigned(y) >> 4) + block + noise) & 255;
    const unsigned blue = ((unsigned(x + y) >> 6) + noise) & 255;
    return (red << 16) | (green << 8) | blue;
}

bool write(const QString& path, int width, int height, int quality) {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(size_t(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned p = pixel(x, y);
            row[size_t(x) * 3] = JSAMPLE(p >> 16);
            row[size_t(x) * 3 + 1] = JSAMPLE(p >> 8);
            row[size_t(x) * 3 + 2] = JSAMPLE(p);
        }
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

QString inFolder(const QString& folder, int width, int height) {
    const QString path =
        QDir(folder).filePath(QStringLiteral("photo-%1x%2.jpg").arg(width).arg(height));
    if (!QFile::exists(path) && !write(path, width, height))
        return QString();
    return path;
}

} // namespace LargeJpeg
