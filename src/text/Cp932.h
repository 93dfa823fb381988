#pragma once

#include <QByteArray>
#include <QList>
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

// One character the code page cannot hold and the form put in its place.
struct Replacement {
    QString from;
    QString to;
    bool operator==(const Replacement&) const = default;
};

struct NearestResult {
    QString text;
    QList<Replacement> replacements; // in order, each character once
};

// The text with every character the code page cannot hold replaced by its nearest form that it
// can: the compatibility form (ﬁ → fi), the Latin letter without its marks (é → e, ß → ss), the
// ASCII punctuation (‐ → -). A character with no such form is left as it is, so that the caller
// still finds it with encode(). Only for callers that show the user what was replaced.
NearestResult nearestForm(const QString& text);

} // namespace Cp932
