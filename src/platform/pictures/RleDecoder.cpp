#include "platform/pictures/RleDecoder.h"

namespace RleDecoder {

namespace {

// Walks the data and writes indices; every write is checked against the image.
class RleWriter {
public:
    RleWriter(QByteArrayView data, int width, int height, bool fourBit, const QList<QRgb>& palette)
        : data_(data), width_(width), height_(height), fourBit_(fourBit), palette_(palette),
          image_(width, height, QImage::Format_RGB32) {}

    ImageResult run();

private:
    QRgb colour(int index) const {
        return index < palette_.size() ? palette_[index] : qRgb(0, 0, 0);
    }
    bool put(int count, auto indexAt) {
        if (row_ >= height_ || count > width_ - x_)
            return false;
        QRgb* line = reinterpret_cast<QRgb*>(image_.scanLine(height_ - 1 - row_));
        for (int i = 0; i < count; ++i)
            line[x_ + i] = colour(indexAt(i));
        x_ += count;
        return true;
    }
    bool encodedRun(int count, std::uint8_t value) {
        if (!fourBit_)
            return put(count, [value](int) { return int(value); });
        return put(count, [value](int i) { return (i % 2 == 0) ? value >> 4 : value & 0x0F; });
    }
    bool absoluteRun(int count);
    bool complete() const { return row_ >= height_ || (row_ == height_ - 1 && x_ == width_); }

    QByteArrayView data_;
    int width_, height_;
    bool fourBit_;
    const QList<QRgb>& palette_;
    QImage image_;
    qsizetype pos_ = 0;
    int x_ = 0;
    int row_ = 0;
};

bool RleWriter::absoluteRun(int count) {
    const qsizetype bytes = fourBit_ ? (count + 1) / 2 : count;
    const qsizetype padded = bytes + (bytes % 2);
    if (bytes > data_.size() - pos_)
        return false;
    const QByteArrayView run = data_.sliced(pos_, bytes);
    pos_ += std::min(padded, data_.size() - pos_);
    if (!fourBit_)
        return put(count, [&run](int i) { return int(std::uint8_t(run[i])); });
    return put(count, [&run](int i) {
        const std::uint8_t pair = std::uint8_t(run[i / 2]);
        return (i % 2 == 0) ? pair >> 4 : pair & 0x0F;
    });
}

ImageResult RleWriter::run() {
    if (image_.isNull())
        return ImageResult::refused(QStringLiteral("not enough memory for the bitmap"));
    image_.fill(colour(0));
    while (data_.size() - pos_ >= 2) {
        const std::uint8_t first = std::uint8_t(data_[pos_]);
        const std::uint8_t second = std::uint8_t(data_[pos_ + 1]);
        pos_ += 2;
        bool fits = true;
        if (first > 0) {
            fits = encodedRun(first, second);
        } else if (second == 0) { // end of line
            ++row_;
            x_ = 0;
        } else if (second == 1) { // end of bitmap
            return ImageResult{image_, QString()};
        } else if (second == 2) { // delta
            if (data_.size() - pos_ < 2)
                break;
            x_ += std::uint8_t(data_[pos_]);
            row_ += std::uint8_t(data_[pos_ + 1]);
            pos_ += 2;
            fits = x_ <= width_ && row_ <= height_;
        } else {
            fits = absoluteRun(second);
        }
        if (!fits)
            return ImageResult::refused(QStringLiteral("run-length data runs past the bitmap"));
    }
    if (!complete())
        return ImageResult::refused(QStringLiteral("run-length data is cut short"));
    return ImageResult{image_, QString()};
}

} // namespace

ImageResult decode(QByteArrayView data, int width, int height, int bitsPerPixel,
                   const QList<QRgb>& palette) {
    if (width <= 0 || height <= 0 || (bitsPerPixel != 4 && bitsPerPixel != 8))
        return ImageResult::refused(QStringLiteral("unsupported run-length bitmap"));
    RleWriter writer(data, width, height, bitsPerPixel == 4, palette);
    return writer.run();
}

} // namespace RleDecoder
