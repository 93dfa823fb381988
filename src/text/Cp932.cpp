#include "text/Cp932.h"

#include <memory>
#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

namespace Cp932 {

namespace {
struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// A fresh converter that stops at the first character it cannot convert exactly. Fallbacks are
// on so that the look-alikes Japanese input methods produce (wave dash, minus sign, double
// vertical line, em dash, yen sign) are stored as the code page's own characters.
Converter openConverter() {
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open("windows-31j", &status));
    if (U_FAILURE(status))
        return nullptr;
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                          &status);
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &status);
    ucnv_setFallback(converter.get(), true);
    return U_SUCCESS(status) ? std::move(converter) : nullptr;
}

// Look-alikes that ICU's windows-31j table has no fallback for, mapped to what the code page
// holds for them.
QString replaceLookAlikes(const QString& text) {
    QString result = text;
    result.replace(QChar(0x301C), QChar(0xFF5E)); // wave dash -> fullwidth tilde (81 60)
    result.replace(QChar(0x2212), QChar(0xFF0D)); // minus sign -> fullwidth hyphen-minus (81 7C)
    result.replace(QChar(0x2016), QChar(0x2225)); // double vertical line -> parallel to (81 61)
    result.replace(QChar(0x2014), QChar(0x2015)); // em dash -> horizontal bar (81 5C)
    result.replace(QChar(0x00A5), QChar(0x005C)); // yen sign -> 5C
    return result;
}
} // namespace

EncodeResult encode(const QString& text) {
    const QString source = replaceLookAlikes(text);
    if (source.isEmpty())
        return EncodeResult{QByteArray(), QString()};
    Converter converter = openConverter();
    if (!converter)
        return EncodeResult{std::nullopt, QString()};

    QByteArray bytes(source.size() * 2 + 8, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    const int length = ucnv_fromUChars(converter.get(), bytes.data(), int(bytes.size()),
                                       reinterpret_cast<const UChar*>(source.utf16()),
                                       int(source.size()), &status);
    if (U_SUCCESS(status)) {
        bytes.truncate(length);
        return EncodeResult{bytes, QString()};
    }
    // Find the first character that cannot be held, converting one character at a time.
    for (int i = 0; i < text.size();) {
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const int width = pair ? 2 : 1;
        const QString character = text.mid(i, width);
        const QString mapped = replaceLookAlikes(character);
        char buffer[16];
        UErrorCode charStatus = U_ZERO_ERROR;
        ucnv_reset(converter.get());
        ucnv_fromUChars(converter.get(), buffer, sizeof buffer,
                        reinterpret_cast<const UChar*>(mapped.utf16()), int(mapped.size()),
                        &charStatus);
        if (U_FAILURE(charStatus))
            return EncodeResult{std::nullopt, character};
        i += width;
    }
    return EncodeResult{std::nullopt, QString()};
}

std::optional<QString> decode(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return QString();
    Converter converter = openConverter();
    if (!converter)
        return std::nullopt;
    QString text(bytes.size() + 1, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    const int length =
        ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(text.data()), int(text.size()),
                      bytes.constData(), int(bytes.size()), &status);
    if (U_FAILURE(status))
        return std::nullopt;
    text.truncate(length);
    return text;
}

QString codePointName(const QString& character) {
    if (character.isEmpty())
        return QString();
    uint codePoint = character.at(0).unicode();
    if (character.size() >= 2 && character.at(0).isHighSurrogate() &&
        character.at(1).isLowSurrogate())
        codePoint = QChar::surrogateToUcs4(character.at(0), character.at(1));
    return QStringLiteral("U+") + QString::number(codePoint, 16).toUpper().rightJustified(4, u'0');
}

namespace {

icu::UnicodeString toIcu(const QString& text) {
    return icu::UnicodeString(reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()));
}

QString fromIcu(const icu::UnicodeString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

bool holds(const QString& text) {
    return encode(text).bytes.has_value();
}

// The candidates for one character, nearest first.
QStringList nearestCandidates(const QString& character) {
    QStringList candidates;
    UErrorCode status = U_ZERO_ERROR;
    if (const icu::Normalizer2* nfkc = icu::Normalizer2::getNFKCInstance(status); U_SUCCESS(status))
        candidates << fromIcu(nfkc->normalize(toIcu(character), status));
    // Building the transliterator parses its rules; one per thread is kept.
    thread_local std::unique_ptr<icu::Transliterator> toAscii;
    if (!toAscii) {
        status = U_ZERO_ERROR;
        toAscii.reset(icu::Transliterator::createInstance("Latin-ASCII", UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            toAscii.reset();
    }
    if (toAscii) {
        icu::UnicodeString ascii = toIcu(character);
        toAscii->transliterate(ascii);
        candidates << fromIcu(ascii);
    }
    status = U_ZERO_ERROR;
    if (const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status); U_SUCCESS(status)) {
        QString bare;
        const QString decomposed = fromIcu(nfd->normalize(toIcu(character), status));
        for (const QChar part : decomposed)
            if (part.category() != QChar::Mark_NonSpacing)
                bare += part;
        candidates << bare;
    }
    return candidates;
}

} // namespace

NearestResult nearestForm(const QString& text) {
    NearestResult result;
    if (holds(text)) {
        result.text = text;
        return result;
    }
    for (int i = 0; i < text.size();) {
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const QString character = text.mid(i, pair ? 2 : 1);
        i += int(character.size());
        QString replacement = character;
        if (!holds(character)) {
            for (const QString& candidate : nearestCandidates(character)) {
                if (!candidate.isEmpty() && candidate != character && holds(candidate)) {
                    replacement = candidate;
                    const Replacement made{character, candidate};
                    if (!result.replacements.contains(made))
                        result.replacements << made;
                    break;
                }
            }
        }
        result.text += replacement;
    }
    return result;
}

} // namespace Cp932
