#include "platform/pictures/JpegSource.h"

#include "platform/pictures/AreaReducer.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio> // jpeglib.h needs FILE
#include <jpeglib.h>
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

// What one decode is asked for and what it gives back. Kept outside the function that calls
// setjmp, so that no object with a destructor lives in its frame.
struct Decoding {
    QRect area;   // full-resolution pixels, within the picture
    int eighths;  // decoder scale: eighths / 8
    double scale; // of the full resolution wanted; the decoder's rows are reduced to it
    const std::atomic_bool* cancel;

    QImage image;
    std::vector<std::uint8_t> row;
    std::unique_ptr<AreaReducer> reducer;
    unsigned firstColumn = 0; // of the scaled picture
    unsigned firstRow = 0;
    unsigned width = 0; // decoded, before the reduction
    unsigned height = 0;
};

bool cancelled(const Decoding& job) {
    return job.cancel && job.cancel->load(std::memory_order_relaxed);
}

bool readRows(jpeg_decompress_struct& info, Decoding& job) {
    for (unsigned y = 0; y < job.height; ++y) {
        if (cancelled(job))
            return false;
        JSAMPROW row = job.reducer ? job.row.data() : job.image.scanLine(int(y));
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            return false;
        if (job.reducer)
            job.reducer->addRow(job.row.data());
    }
    return true;
}

// The decoded rows go straight into the image where the decoder's scale is the one wanted, and
// through an area reduction to the wanted size otherwise.
bool prepareImage(Decoding& job) {
    const double fullPerDecoded = 8.0 / job.eighths;
    const auto side = [&](unsigned decoded) {
        return int(
            std::clamp(std::lround(decoded * fullPerDecoded * job.scale), 1L, long(decoded)));
    };
    const int width = side(job.width), height = side(job.height);
    job.image = QImage(width, height, QImage::Format_RGB32);
    if (job.image.isNull())
        return false;
    if (width != int(job.width) || height != int(job.height)) {
        job.row.assign(size_t(job.width) * 4, 0);
        job.reducer = std::make_unique<AreaReducer>(int(job.width), int(job.height), job.image);
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
        job.firstColumn = column;
        job.firstRow = top;
        job.width = width;
        job.height = bottom - top;
        ok = prepareImage(job);
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
    const int eighths = scale < 1 ? std::clamp(int(std::ceil(scale * 8 - 1e-9)), 1, 8) : 8;
    Decoding job{area, eighths, std::min(scale, 1.0), cancel, {}, {}, {}};
    if (!runDecoder(bytes_, job))
        return {};
    const double fullPerDecoded = 8.0 / eighths;
    return PictureRegion{job.image,
                         QRectF(job.firstColumn * fullPerDecoded, job.firstRow * fullPerDecoded,
                                job.width * fullPerDecoded, job.height * fullPerDecoded)};
}
