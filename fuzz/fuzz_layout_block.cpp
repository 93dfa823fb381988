// The layout block after a document's records, on arbitrary bytes. Most inputs are made into a
// block whose checksums are right, so that the entries themselves are read; the rest go in as
// they are. Whatever the reader accepts must write back and read again as the same layouts.
#include "FuzzRequire.h"
#include "document/LabelFileCodec.h"
#include "document/LayoutBlock.h"

#include <QtEndian>
#include <cstdint>

using namespace LabelFileCodec;

namespace {

// Three plain items whose records the block follows.
QByteArray records() {
    LabelDocument document;
    for (int i = 0; i < 3; ++i) {
        TextItem item;
        item.Text = QStringLiteral("item %1").arg(i);
        item.FontName = QStringLiteral("F");
        item.Size = 12;
        document.TextItems.push_back(item);
    }
    return *encode(document, 0, QByteArray()).bytes;
}

QByteArray sealed(const QByteArray& file, const QByteArray& entries, std::uint16_t version) {
    QByteArray body(4, '\0');
    qToLittleEndian(LayoutBlock::recordsChecksum(file, 3), body.data());
    body += entries;
    QByteArray block(LayoutBlock::Magic, sizeof LayoutBlock::Magic);
    char head[10];
    qToLittleEndian(version, head);
    qToLittleEndian(std::uint32_t(LayoutBlock::HeaderBytes + body.size()), head + 2);
    qToLittleEndian(LayoutBlock::checksum(body.constData(), body.size()), head + 6);
    return block + QByteArray(head, sizeof head) + body;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    static const QByteArray file = records();
    const QByteArray rest(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const bool raw = (data[0] & 1) != 0;
    const QByteArray bytes = file + (raw ? rest : sealed(file, rest, std::uint16_t(data[0] >> 6)));
    const DecodeResult result = decode(bytes);
    if (!result.file) {
        require(!result.reason.isEmpty());
        require(result.refusal == Refusal::Damaged || result.refusal == Refusal::NewerVersion);
        return 0;
    }
    const EncodeResult written = encode(result.file->document, 0, QByteArray());
    require(written.bytes.has_value());
    const DecodeResult again = decode(*written.bytes);
    require(again.file.has_value() &&
            again.file->document.TextItems == result.file->document.TextItems);
    return 0;
}
