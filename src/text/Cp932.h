#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Text in document files is code page 932. Both directions refuse what they cannot convert
// exactly, and say which character failed.
namespace Cp932 {

struct EncodeResult {
    std::optional<QByteArray> bytes;
    QString failedCharacter; // the character that code page 932 cannot hold
};

EncodeResult encode(const QString& text);

// "U+1F600": the code point of a failed character, for messages that name it (a surrogate pair as
// one code point, a lone surrogate as itself). Empty for an empty string.
QString codePointName(const QString& character);
std::optional<QString> decode(const QByteArray& bytes);

} // namespace Cp932
