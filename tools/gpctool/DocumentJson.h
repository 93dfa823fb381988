#pragma once

#include "document/LabelDocument.h"
#include "document/LabelFileCodec.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// The JSON form of a document that `gpctool info --json` prints and `gpctool create` reads.
// Floats are printed in the shortest form that reads back to the identical 32-bit value.
namespace DocumentJson {

QByteArray write(const LabelFileCodec::DecodedFile& file);

struct Description {
    LabelDocument document;
    std::int16_t scaleStep = 0;
};

struct ReadResult {
    std::optional<Description> description;
    QString reason; // one line, when refused
};

// Missing keys keep the values of a new document; unknown keys and wrong types are refused
// rather than ignored, so that a misspelt key cannot silently become a default.
ReadResult read(const QByteArray& json);

// The shortest decimal form of a float that reads back to the same value.
QByteArray formatFloat(float value);

} // namespace DocumentJson
