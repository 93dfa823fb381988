#include "support/LargeJpeg.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <libexif/exif-data.h>
#include <vector>

namespace LargeJpeg {

namespace {

unsigned hashOf(int x, int y) {
    return (unsigned(x) * 73856093u) ^ (unsigned(y) * 19349663u);
}

// The hash with its bits mixed, so that three channels can each take bits of their own.
unsigned mixed(int x, int y) {
    unsigned hash = hashOf(x, y);
    hash ^= hash >> 15;
    hash *= 0x2C1B3C6Du;
    return hash ^ (hash >> 12);
}

struct Compressor {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
};

void start(Compressor& c, int width, int height, int quality, bool exif) {
    c.info.err = jpeg_std_error(&c.errors);
    jpeg_create_compress(&c.info);
    c.info.image_width = JDIMENSION(width);
    c.info.image_height = JDIMENSION(height);
    c.info.input_components = 3;
    c.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c.info);
    jpeg_set_quality(&c.info, quality, TRUE);
    c.info.write_JFIF_header = exif ? FALSE : TRUE;
}

// The thumbnail's pixels: each the mean of a few samples of the photo under it.
std::vector<JSAMPLE> thumbnailPixels(int width, int height, int thumbWidth, int thumbHeight,
                                     bool highDetail) {
    std::vector<JSAMPLE> rgb(size_t(thumbWidth) * thumbHeight * 3);
    constexpr int Samples = 4;
    for (int ty = 0; ty < thumbHeight; ++ty)
        for (int tx = 0; tx < thumbWidth; ++tx) {
            unsigned sums[3] = {0, 0, 0};
            for (int sy = 0; sy < Samples; ++sy)
                for (int sx = 0; sx < Samples; ++sx) {
                    const int x = int((tx + (sx + 0.5) / Samples) * width / thumbWidth);
                    const int y = int((ty + (sy + 0.5) / Samples) * height / thumbHeight);
                    const unsigned p = pixel(x, y, highDetail);
                    sums[0] += p >> 16 & 255;
                    sums[1] += p >> 8 & 255;
                    sums[2] += p & 255;
                }
            for (int c = 0; c < 3; ++c)
                rgb[(size_t(ty) * thumbWidth + tx) * 3 + c] =
                    JSAMPLE(sums[c] / (Samples * Samples));
        }
    return rgb;
}

std::vector<unsigned char> thumbnailJpeg(int width, int height, const Options& options) {
    const bool highDetail = options.highDetail;
    QSize shape = options.thumbnailSize;
    if (shape.isEmpty())
        shape = width >= height ? QSize(160, std::max(1, 160 * height / width))
                               : QSize(std::max(1, 160 * width / height), 160);
    const int thumbWidth = shape.width(), thumbHeight = shape.height();
    const std::vector<JSAMPLE> rgb =
        thumbnailPixels(width, height, thumbWidth, thumbHeight, highDetail);
    Compressor c;
    start(c, thumbWidth, thumbHeight, 85, true);
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c.info, &bytes, &size);
    jpeg_start_compress(&c.info, TRUE);
    for (int y = 0; y < thumbHeight; ++y) {
        JSAMPROW row = const_cast<JSAMPLE*>(&rgb[size_t(y) * thumbWidth * 3]);
        jpeg_write_scanlines(&c.info, &row, 1);
    }
    jpeg_finish_compress(&c.info);
    jpeg_destroy_compress(&c.info);
    std::vector<unsigned char> result(bytes, bytes + size);
    std::free(bytes);
    return result;
}

// The APP1 block a phone writes: "Exif", a TIFF header, IFD0 (with the orientation) and IFD1
// pointing at the thumbnail.
void writeExif(jpeg_compress_struct& info, int width, int height, const Options& options) {
    const std::vector<unsigned char> thumbnail = thumbnailJpeg(width, height, options);
    ExifData* exif = exif_data_new();
    exif_data_set_byte_order(exif, EXIF_BYTE_ORDER_INTEL);
    if (options.orientation > 0) {
        ExifEntry* entry = exif_entry_new();
        exif_content_add_entry(exif->ifd[EXIF_IFD_0], entry);
        exif_entry_initialize(entry, EXIF_TAG_ORIENTATION);
        exif_set_short(entry->data, EXIF_BYTE_ORDER_INTEL, ExifShort(options.orientation));
        exif_entry_unref(entry);
    }
    exif->data = static_cast<unsigned char*>(std::malloc(thumbnail.size()));
    std::memcpy(exif->data, thumbnail.data(), thumbnail.size());
    exif->size = unsigned(thumbnail.size());
    unsigned char* block = nullptr;
    unsigned int length = 0;
    exif_data_save_data(exif, &block, &length);
    jpeg_write_marker(&info, JPEG_APP0 + 1, block, length);
    std::free(block);
    exif_data_unref(exif);
}

} // namespace

unsigned pixel(int x, int y, bool highDetail) {
    const unsigned block = ((x >> 7) + (y >> 7)) & 1 ? 60 : 0;
    if (!highDetail) {
        const unsigned noise = (hashOf(x, y) >> 13) % 16;
        const unsigned red = ((unsigned(x) >> 5) + noise) & 255;
        const unsigned green = ((unsigned(y) >> 4) + block + noise) & 255;
        const unsigned blue = ((unsigned(x + y) >> 6) + noise) & 255;
        return (red << 16) | (green << 8) | blue;
    }
    const unsigned hash = mixed(x, y);
    constexpr int Amplitude = 192;
    const auto level = [](int value) { return unsigned(std::clamp(value, 0, 255)); };
    const auto noise = [hash](int shift) {
        return int((hash >> shift) % Amplitude) - Amplitude / 2;
    };
    const unsigned red = level(int((unsigned(x) >> 5) & 127) + 64 + noise(0));
    const unsigned green = level(int((unsigned(y) >> 4) & 127) + int(block) + 32 + noise(8));
    const unsigned blue = level(int((unsigned(x + y) >> 6) & 127) + 64 + noise(16));
    return (red << 16) | (green << 8) | blue;
}

bool write(const QString& path, int width, int height, const Options& options) {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    Compressor c;
    start(c, width, height, options.quality, options.thumbnail);
    jpeg_stdio_dest(&c.info, file);
    jpeg_start_compress(&c.info, TRUE);
    if (options.thumbnail)
        writeExif(c.info, width, height, options);
    std::vector<JSAMPLE> row(size_t(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned p = pixel(x, y, options.highDetail);
            row[size_t(x) * 3] = JSAMPLE(p >> 16);
            row[size_t(x) * 3 + 1] = JSAMPLE(p >> 8);
            row[size_t(x) * 3 + 2] = JSAMPLE(p);
        }
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&c.info, &pointer, 1);
    }
    jpeg_finish_compress(&c.info);
    jpeg_destroy_compress(&c.info);
    return std::fclose(file) == 0;
}

QString inFolder(const QString& folder, int width, int height, const Options& options) {
    const QString path = QDir(folder).filePath(QStringLiteral("photo-%1x%2-q%3%4%5-%6x%7-o%8.jpg")
                                                   .arg(width)
                                                   .arg(height)
                                                   .arg(options.quality)
                                                   .arg(options.highDetail ? "-detailed" : "")
                                                   .arg(options.thumbnail ? "-thumbnail" : "")
                                                   .arg(options.thumbnailSize.width())
                                                   .arg(options.thumbnailSize.height())
                                                   .arg(options.orientation));
    if (!QFile::exists(path) && !write(path, width, height, options))
        return QString();
    return path;
}

} // namespace LargeJpeg
