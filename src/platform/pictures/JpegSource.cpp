#include "platform/pictures/JpegSource.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio> // jpeglib.h needs FILE
#include <jpeglib.h>
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

// What one decode is asked for and what it gives back. Kept outside the function that calls
// setjmp, so that no object with a destructor lives in its frame.
struct Decoding {
    QRect area;    // full-resolution pixels, within the picture
    int eighths;   // decoder scale: eighths / 8
    int reduction; // then averaged over reduction × reduction pixels while reading
    const std::atomic_bool* cancel;

    QImage image;
    std::vector<std::uint8_t> row;
    std::vector<std::uint64_t> sums;
    unsigned firstColumn = 0; // of the scaled picture
    unsigned firstRow = 0;
};

bool cancelled(const Decoding& job) {
    return job.cancel && job.cancel->load(std::memory_order_relaxed);
}

// Adds a row of BGRA pixels into per-output-column sums of blue, green and red.
void accumulate(Decoding& job) {
    const int outWidth = job.image.width();
    const std::uint8_t* in = job.row.data();
    for (int x = 0; x < outWidth; ++x) {
        std::uint64_t* sum = &job.sums[size_t(x) * 3];
        for (int i = 0; i < job.reduction; ++i, in += 4) {
            sum[0] += in[0];
            sum[1] += in[1];
            sum[2] += in[2];
        }
    }
}

void emitAverages(Decoding& job, int y) {
    const std::uint64_t count = std::uint64_t(job.reduction) * std::uint64_t(job.reduction);
    auto* out = reinterpret_cast<QRgb*>(job.image.scanLine(y));
    for (int x = 0; x < job.image.width(); ++x) {
        std::uint64_t* sum = &job.sums[size_t(x) * 3];
        out[x] = qRgb(int((sum[2] + count / 2) / count), int((sum[1] + count / 2) / count),
                      int((sum[0] + count / 2) / count));
        sum[0] = sum[1] = sum[2] = 0;
    }
}

bool readRows(jpeg_decompress_struct& info, Decoding& job) {
    for (int y = 0; y < job.image.height(); ++y) {
        if (cancelled(job))
            return false;
        if (job.reduction == 1) {
            JSAMPROW row = job.image.scanLine(y);
            if (jpeg_read_scanlines(&info, &row, 1) != 1)
                return false;
            continue;
        }
        for (int i = 0; i < job.reduction; ++i) {
            JSAMPROW row = job.row.data();
            if (jpeg_read_scanlines(&info, &row, 1) != 1)
                return false;
            accumulate(job);
        }
        emitAverages(job, y);
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
    const unsigned left = unsigned(std::floor(job.area.left() * scale));
    const unsigned top = unsigned(std::floor(job.area.top() * scale));
    const unsigned right =
        std::min(scaledWidth, unsigned(std::ceil((job.area.right() + 1) * scale)));
    const unsigned bottom =
        std::min(scaledHeight, unsigned(std::ceil((job.area.bottom() + 1) * scale)));
    bool ok = right > left && bottom > top;
    if (ok) {
        JDIMENSION column = left, width = right - left;
        if (width < scaledWidth) // widened by the decoder to whole blocks
            jpeg_crop_scanline(&info, &column, &width);
        if (top > 0)
            jpeg_skip_scanlines(&info, top);
        job.reduction = int(std::min<unsigned>({unsigned(job.reduction), width, bottom - top}));
        job.firstColumn = column;
        job.firstRow = top;
        job.image = QImage(int(width) / job.reduction, int(bottom - top) / job.reduction,
                           QImage::Format_RGB32);
        ok = !job.image.isNull();
        if (ok && job.reduction > 1) {
            job.row.assign(size_t(width) * 4, 0);
            job.sums.assign(size_t(job.image.width()) * 3, 0);
        }
        ok = ok && readRows(info, job);
    }
    jpeg_destroy_decompress(&info);
    return ok;
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

PictureRegion JpegSource::decode(const QRect& areaPx, double scale,
                                 const std::atomic_bool* cancel) const {
    const QRect area = areaPx.intersected(QRect(QPoint(0, 0), size_));
    if (area.isEmpty() || !(scale > 0))
        return {};
    int eighths = 8, reduction = 1;
    if (scale < 1) {
        eighths = std::clamp(int(std::ceil(scale * 8 - 1e-9)), 1, 8);
        if (scale < 1.0 / 8)
            reduction = std::max(1, int(std::floor(1.0 / (8 * scale) + 1e-9)));
    }
    Decoding job{area, eighths, reduction, cancel, {}, {}, {}};
    if (!runDecoder(bytes_, job))
        return {};
    const double fullPerDecoded = 8.0 / eighths;
    const double fullPerOut = fullPerDecoded * job.reduction;
    return PictureRegion{job.image,
                         QRectF(job.firstColumn * fullPerDecoded, job.firstRow * fullPerDecoded,
                                job.image.width() * fullPerOut, job.image.height() * fullPerOut)};
}
