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
std::optional<QString> decode(const QByteArray& bytes);

} // namespace Cp932
