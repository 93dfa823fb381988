#pragma once

#include "document/LabelDocument.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// The ".gpc" document file: 128-byte records from offset 0, the embedded picture at offset 99999.
// Both directions are pure functions; nothing here touches the live document or the disk.
namespace LabelFileCodec {

inline constexpr int RecordSize = 128;
inline constexpr qint64 PictureOffset = 99999;
inline constexpr char Identification[] = "Gyroplatecomposer Save File";

// What a file holds besides the document itself.
struct DecodedFile {
    LabelDocument document; // TextItems, TextCount, SelectedText, BackLeft..BackHeight
    std::int16_t scaleStep = 0;
    QByteArray picture; // empty when the file has no picture
};

enum class Refusal {
    None,
    NotALabelFile, // wrong identification, or a string count past its record
    Damaged,       // anything else: bad count, bad selection, cut short, undecodable text
};

struct DecodeResult {
    std::optional<DecodedFile> file;
    Refusal refusal = Refusal::None;
    QString reason; // one line
};

struct EncodeResult {
    std::optional<QByteArray> bytes;
    QString reason; // one line, when refused
};

// Bytes of a whole file. Refuses (before producing anything) an item whose text cannot be held
// by code page 932 or does not fit its record.
EncodeResult encode(const LabelDocument& document, std::int16_t scaleStep,
                    const QByteArray& picture);

DecodeResult decode(const QByteArray& bytes);

} // namespace LabelFileCodec
