// The document reader on arbitrary bytes. Besides crashes, leaks and undefined behaviour it
// checks that whatever the reader accepts writes back, and that a written file reads back to
// the same document and writes the very same bytes again, and that the first record alone
// refuses only what the whole file would refuse.
#include "FuzzRequire.h"
#include "document/LabelFileCodec.h"

#include <cstdint>

using namespace LabelFileCodec;

namespace {

bool sameContent(const DecodedFile& a, const DecodedFile& b) {
    const LabelDocument& x = a.document;
    const LabelDocument& y = b.document;
    if (a.scaleStep != b.scaleStep || a.picture != b.picture || x.TextItems != y.TextItems ||
        x.SelectedText != y.SelectedText || x.BackLeft != y.BackLeft || x.BackTop != y.BackTop ||
        x.BackWidth != y.BackWidth || x.BackHeight != y.BackHeight)
        return false;
    return true;
}

QByteArray rewrite(const DecodedFile& file) {
    const EncodeResult encoded = encode(file.document, file.scaleStep, file.picture);
    require(encoded.bytes.has_value());
    return *encoded.bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const DecodeResult result = decode(bytes);
    // The store refuses on the first record alone; the whole file must be refused the same way.
    const DecodeResult first = identify(bytes.left(RecordSize));
    require(first.refusal == Refusal::None || first.refusal == result.refusal);
    if (!result.file) {
        require(result.refusal != Refusal::None && !result.reason.isEmpty());
        return 0;
    }
    require(result.refusal == Refusal::None);
    const QByteArray written = rewrite(*result.file);
    const DecodeResult again = decode(written);
    require(again.file.has_value() && sameContent(*result.file, *again.file));
    require(rewrite(*again.file) == written);
    return 0;
}
