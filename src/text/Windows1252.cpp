#include "text/Windows1252.h"

#include <memory>
#include <unicode/ucnv.h>

namespace Windows1252 {

namespace {
struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
} // namespace

QString decode(QByteArrayView bytes) {
    if (bytes.isEmpty())
        return QString();
    UErrorCode status = U_ZERO_ERROR;
    // ICU's default to-Unicode callback substitutes U+FFFD for an unassigned byte.
    std::unique_ptr<UConverter, ConverterCloser> converter(ucnv_open("windows-1252", &status));
    if (U_FAILURE(status))
        return QString(bytes.size(), QChar(QChar::ReplacementCharacter));
    QString text(bytes.size() + 1, Qt::Uninitialized);
    const int length = ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(text.data()),
                                     int(text.size()), bytes.data(), int(bytes.size()), &status);
    if (U_FAILURE(status))
        return QString(bytes.size(), QChar(QChar::ReplacementCharacter));
    text.truncate(length);
    return text;
}

} // namespace Windows1252
