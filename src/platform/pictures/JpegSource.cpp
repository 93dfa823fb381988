#include "platform/pictures/JpegSource.h"

#include "platform/pictures/AreaReducer.h"
#include "platform/pictures/StreamChecks.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio> // jpeglib.h needs FILE
#include <cstring>
#include <functional>
#include <jpeglib.h>
#include <libexif/exif-data.h>
#include <memory>
#include <vector>

namespace {

// A baseline single-scan decoder keeps a few rows of blocks; this only stops a hostile file from
// making it allocate more.
constexpr long DecoderMemoryBytes = 256L * 1024 * 1024;

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to the
// setjmp in the function that drives the decoder. Warnings (damaged entropy data the decoder
// works around) are ignored, as the whole-image reader does.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void errorExit(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}
void ignoreMessage(j_common_ptr, int) {}
void ignoreOutput(j_common_ptr) {}

void prepareDecoder(jpeg_decompress_struct& info, ErrorManager& errors) {
    info.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = errorExit;
    errors.pub.emit_message = ignoreMessage;
    errors.pub.output_message = ignoreOutput;
}

void setSource(jpeg_decompress_struct& info, const QByteArray& bytes) {
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = DecoderMemoryBytes;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
}

struct Header {
    int width = 0;
    int height = 0;
    bool singleScan = false;
    bool huffman = false;
    J_COLOR_SPACE colours = JCS_UNKNOWN;
    qint64 blocks = 0;
};

// Everything here runs between setjmp and the last libjpeg call; only plain data is touched.
bool readHeader(const QByteArray& bytes, Header& header) {
    jpeg_decompress_struct info;
    ErrorManager errors;
    prepareDecoder(info, errors);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    setSource(info, bytes);
    jpeg_read_header(&info, TRUE);
    header.width = int(info.image_width);
    header.height = int(info.image_height);
    header.singleScan = !jpeg_has_multiple_scans(&info);
    header.huffman = !info.arith_code;
    header.colours = info.jpeg_color_space;
    for (int c = 0; c < info.num_components; ++c)
        header.blocks +=
            qint64(info.comp_info[c].width_in_blocks) * info.comp_info[c].height_in_blocks;
    jpeg_destroy_decompress(&info);
    return true;
}

// Where the decoded (and reduced) rows go, in order: the rows of bands of `bandRows` rows, each
// handed on once the next one begins (a single band for the whole image). A band after the first
// begins with a copy of the last row of the one before.
class RowSink {
public:
    using Deliver = std::function<void(const QImage&, int firstRow)>;

    RowSink(int width, int height, int bandRows, Deliver deliver)
        : width_(width), height_(height), bandRows_(std::max(bandRows, 1)),
          deliver_(std::move(deliver)), spare_(size_t(std::max(width, 0))) {}

    // Where target row `y` goes. A band that cannot be allocated makes the sink fail; the row
    // then goes to a spare one, and the decode stops at the next check.
    QRgb* row(int y) {
        const int band = y / bandRows_;
        if (band != band_ && !openBand(band))
            failed_ = true;
        if (failed_)
            return spare_.data();
        return reinterpret_cast<QRgb*>(image_.scanLine(y - firstRow_));
    }
    bool failed() const { return failed_; }

    // Hands on the last band; false when a band could not be made.
    bool finish() {
        if (!failed_ && !image_.isNull())
            deliver_(image_, firstRow_);
        image_ = QImage();
        return !failed_;
    }

private:
    bool openBand(int band) {
        QImage previous = std::move(image_);
        if (!previous.isNull())
            deliver_(previous, firstRow_);
        const int start = band * bandRows_;
        const int overlap = band > 0 && !previous.isNull() ? 1 : 0;
        firstRow_ = start - overlap;
        band_ = band;
        image_ =
            QImage(width_, std::min(start + bandRows_, height_) - firstRow_, QImage::Format_RGB32);
        if (image_.isNull())
            return false;
        if (overlap)
            std::memcpy(image_.scanLine(0), previous.constScanLine(previous.height() - 1),
                        size_t(width_) * 4);
        return true;
    }

    int width_, height_, bandRows_;
    Deliver deliver_;
    std::vector<QRgb> spare_;
    QImage image_;
    int band_ = -1;
    int firstRow_ = 0;
    bool failed_ = false;
};

// What one decode is asked for and what it gives back. Kept outside the function that calls
// setjmp, so that no object with a destructor lives in its frame.
struct Decoding {
    QRect area;    // full-resolution pixels, within the picture
    QSize picture; // its size
    int eighths;   // decoder scale: eighths / 8
    double scaleX; // of the full resolution wanted; the decoder's rows are reduced to it
    double scaleY;
    int bandRows; // 0: one image
    const std::atomic_bool* cancel;
    std::function<void(const QImage&, int firstRow, const Decoding&)> deliver;

    std::vector<std::uint8_t> row{};
    std::unique_ptr<RowSink> sink{};
    std::unique_ptr<AreaReducer> reducer{};
    unsigned firstColumn = 0; // of the scaled picture
    unsigned firstRow = 0;
    unsigned width = 0; // decoded, before the reduction
    unsigned height = 0;
    QRect target{}; // after the reduction, in pixels of the whole picture at the scale wanted

    // The full-resolution pixels the target covers.
    QRectF targetArea() const {
        return QRectF(target.left() / scaleX, target.top() / scaleY, target.width() / scaleX,
                      target.height() / scaleY);
    }
};

bool cancelled(const Decoding& job) {
    return job.cancel && job.cancel->load(std::memory_order_relaxed);
}

bool readRows(jpeg_decompress_struct& info, Decoding& job) {
    for (unsigned y = 0; y < job.height; ++y) {
        if (cancelled(job) || job.sink->failed())
            return false;
        JSAMPROW row =
            job.reducer ? job.row.data() : reinterpret_cast<JSAMPROW>(job.sink->row(int(y)));
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            return false;
        if (job.reducer)
            job.reducer->addRow(job.row.data());
    }
    return job.sink->finish();
}

// The target's pixels lie on the grid of the whole picture at the scale wanted, whatever part was
// decoded: the pixels of two parts that overlap are the same where they overlap, so a view does
// not flicker as it takes sharper or wider parts.
struct Side {
    int first = 0; // the first target pixel covered whole by the decoded pixels
    int count = 0;
    AreaReducer::Axis axis{};
};

// `decodedFirst`, `decodedCount`: decoded pixels, each `fullPerDecoded` full-resolution ones;
// the picture ends at `fullSide`.
// The picture's last target pixel may reach past its end; it is made of what lies inside.
Side sideOf(unsigned decodedFirst, unsigned decodedCount, double fullPerDecoded, int fullSide,
            double scale) {
    double step = fullPerDecoded * scale;
    if (std::abs(step - 1) < 1e-9) // the decoder's own scale: no resampling
        step = 1;
    const double start = decodedFirst * step;
    const double decodedEnd = (decodedFirst + decodedCount) * step, pictureEnd = fullSide * scale;
    Side side;
    side.first = int(std::ceil(start - 1e-9));
    const int last = decodedEnd >= pictureEnd - 1e-9 ? int(std::ceil(pictureEnd - 1e-9))
                                                     : int(std::floor(decodedEnd + 1e-9));
    side.count = std::max(last - side.first, 1);
    side.axis = AreaReducer::Axis{start - side.first, step, side.count};
    return side;
}

// The decoded rows go straight to the sink where they are the pixels wanted, and through an area
// reduction otherwise.
bool prepareOutput(Decoding& job) {
    const double fullPerDecoded = 8.0 / job.eighths;
    const Side across =
        sideOf(job.firstColumn, job.width, fullPerDecoded, job.picture.width(), job.scaleX);
    const Side down =
        sideOf(job.firstRow, job.height, fullPerDecoded, job.picture.height(), job.scaleY);
    job.target = QRect(across.first, down.first, across.count, down.count);
    job.sink = std::make_unique<RowSink>(
        across.count, down.count, job.bandRows > 0 ? job.bandRows : down.count,
        [&job](const QImage& band, int firstRow) { job.deliver(band, firstRow, job); });
    const auto direct = [](const Side& side, unsigned decoded) {
        return side.axis.step == 1 && side.axis.start == 0 && side.count == int(decoded);
    };
    if (!direct(across, job.width) || !direct(down, job.height)) {
        job.row.assign(size_t(job.width) * 4, 0);
        job.reducer =
            std::make_unique<AreaReducer>(int(job.width), int(job.height), across.axis, down.axis,
                                          [sink = job.sink.get()](int y) { return sink->row(y); });
    }
    return true;
}

bool runDecoder(const QByteArray& bytes, Decoding& job) {
    jpeg_decompress_struct info;
    ErrorManager errors;
    prepareDecoder(info, errors);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    setSource(info, bytes);
    jpeg_read_header(&info, TRUE);
    info.scale_num = unsigned(job.eighths);
    info.scale_denom = 8;
    info.out_color_space = JCS_EXT_BGRA; // QImage::Format_RGB32's byte order, alpha 0xFF
    jpeg_start_decompress(&info);

    const double scale = job.eighths / 8.0;
    const unsigned scaledWidth = info.output_width, scaledHeight = info.output_height;
    // A block more on every side: at the edges of a crop the decoder smooths the colour without
    // the neighbours, and the reduced pixels at the part's edges take source pixels from beyond
    // it, so the part asked for gets the pixels a full decode gives.
    const unsigned across = unsigned(info.max_h_samp_factor * info.min_DCT_scaled_size);
    const unsigned down = unsigned(info.max_v_samp_factor * info.min_DCT_scaled_size);
    const unsigned left = unsigned(std::max(0.0, std::floor(job.area.left() * scale) - across));
    const unsigned top = unsigned(std::max(0.0, std::floor(job.area.top() * scale) - down));
    const unsigned right =
        std::min(scaledWidth, unsigned(std::ceil((job.area.right() + 1) * scale)) + across);
    const unsigned bottom =
        std::min(scaledHeight, unsigned(std::ceil((job.area.bottom() + 1) * scale)) + down);
    bool ok = right > left && bottom > top;
    if (ok) {
        JDIMENSION column = left, width = right - left;
        if (width < scaledWidth) // widened by the decoder to whole blocks
            jpeg_crop_scanline(&info, &column, &width);
        if (top > 0)
            jpeg_skip_scanlines(&info, top);
        job.firstColumn = column;
        job.firstRow = top;
        job.width = width;
        job.height = bottom - top;
        ok = prepareOutput(job);
        ok = ok && readRows(info, job);
    }
    jpeg_destroy_decompress(&info);
    return ok;
}

// The decoder is fast at these scales (its reduced transforms are vectorised, the others are
// not): the smallest that has the pixels wanted, and the area reduction takes it from there.
int eighthsFor(double scale) {
    for (const int eighths : {1, 2, 4})
        if (scale <= eighths / 8.0 + 1e-9)
            return eighths;
    return 8;
}

} // namespace

std::shared_ptr<const JpegSource> JpegSource::open(const QByteArray& bytes, QString* reason) {
    auto refuse = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return std::shared_ptr<const JpegSource>();
    };
    Header header;
    if (!readHeader(bytes, header))
        return refuse(QStringLiteral("unreadable JPEG header"));
    if (!header.singleScan || !header.huffman)
        return refuse(QStringLiteral("progressive or arithmetic-coded JPEG"));
    if (header.colours != JCS_GRAYSCALE && header.colours != JCS_YCbCr && header.colours != JCS_RGB)
        return refuse(QStringLiteral("JPEG colours other than RGB or grey"));
    // Huffman coding spends at least two bits on every block (its DC difference and the end of
    // its AC coefficients), so fewer bytes than that cannot hold the size the header claims.
    if (qint64(bytes.size()) * 4 < header.blocks)
        return refuse(QStringLiteral("JPEG data too short for %1 x %2 pixels")
                          .arg(header.width)
                          .arg(header.height));
    return std::shared_ptr<const JpegSource>(
        new JpegSource(bytes, QSize(header.width, header.height)));
}

namespace {

bool decodeTo(const JpegSource& source, const QRect& areaPx, double scaleX, double scaleY,
              int bandRows, const std::atomic_bool* cancel,
              std::function<void(const QImage&, int, const Decoding&)> deliver) {
    const QRect area = areaPx.intersected(QRect(QPoint(0, 0), source.size()));
    if (area.isEmpty() || !(scaleX > 0) || !(scaleY > 0))
        return false;
    scaleX = std::min(scaleX, 1.0);
    scaleY = std::min(scaleY, 1.0);
    Decoding job{
        area,   source.size(),     eighthsFor(std::max(scaleX, scaleY)), scaleX, scaleY, bandRows,
        cancel, std::move(deliver)};
    return runDecoder(source.bytes(), job);
}

// The full-resolution pixels of target rows from `firstRow` on, `rows` of them.
QRectF rowsArea(const Decoding& job, int firstRow, int rows) {
    const QRectF area = job.targetArea();
    return QRectF(area.left(), area.top() + firstRow / job.scaleY, area.width(), rows / job.scaleY);
}

} // namespace

PictureRegion JpegSource::decode(const QRect& areaPx, double scaleX, double scaleY,
                                 const std::atomic_bool* cancel) const {
    PictureRegion region;
    const bool ok = decodeTo(*this, areaPx, scaleX, scaleY, 0, cancel,
                             [&region](const QImage& image, int, const Decoding& job) {
                                 region = PictureRegion{image, job.targetArea()};
                             });
    return ok ? region : PictureRegion();
}

bool JpegSource::decodeInBands(const QRect& areaPx, double scaleX, double scaleY, int bandRows,
                               const Band& band) const {
    return decodeTo(*this, areaPx, scaleX, scaleY, std::max(bandRows, 1), nullptr,
                    [&band](const QImage& image, int firstRow, const Decoding& job) {
                        band(PictureRegion{image, rowsArea(job, firstRow, image.height())});
                    });
}

namespace {

// EXIF lies in the first segments; a thumbnail is a few kilobytes.
constexpr qsizetype MetadataBytes = 1024 * 1024;
// A thumbnail whose shape is further than this from the photo's shows something else.
constexpr double ShapeTolerance = 0.03;

QByteArray exifThumbnail(const QByteArray& jpeg) {
    ExifData* exif = exif_data_new();
    if (!exif)
        return {};
    // Read only: libexif is not to add or repair tags.
    exif_data_unset_option(exif, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(exif, reinterpret_cast<const unsigned char*>(jpeg.constData()),
                        unsigned(std::min(jpeg.size(), MetadataBytes)));
    QByteArray thumbnail;
    if (exif->data && exif->size > 0)
        thumbnail = QByteArray(reinterpret_cast<const char*>(exif->data), qsizetype(exif->size));
    exif_data_unref(exif);
    return thumbnail;
}

} // namespace

QImage JpegSource::thumbnail() const {
    const QByteArray bytes = exifThumbnail(bytes_);
    if (bytes.isEmpty() || !StreamChecks::jpegComplete(bytes))
        return {};
    const std::shared_ptr<const JpegSource> small = open(bytes, nullptr);
    if (!small || small->size().isEmpty() || small->size().width() > size_.width())
        return {};
    const double shape = double(size_.width()) / size_.height();
    const double smallShape = double(small->size().width()) / small->size().height();
    if (std::abs(smallShape / shape - 1) > ShapeTolerance)
        return {};
    return small->decode(QRect(QPoint(0, 0), small->size()), 1.0).image;
}
