#pragma once

#include "document/BackgroundScale.h"
#include "document/LabelDocument.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// The ".gpc" document file: 128-byte records from offset 0, the embedded picture at offset 99999,
// and after the records, only for items that are not plain straight text, their layouts (see
// LayoutBlock). Both directions are pure functions; nothing here touches the live document or the
// disk.
namespace LabelFileCodec {

inline constexpr int RecordSize = 128;
inline constexpr qint64 PictureOffset = 99999;
inline constexpr char Identification[] = "Gyroplatecomposer Save File";

// A string is an i16 byte count and its bytes, inside one record.
inline constexpr int MaxStringBytes = RecordSize - 2;
// A text item record holds 28 bytes of counts and numbers, so the text and the font name share
// the remaining 100 bytes (code page 932 bytes, not characters).
inline constexpr int MaxItemStringBytes = RecordSize - 28;
// The picture's byte count minus one is stored as an i32.
inline constexpr qint64 MaxPictureBytes = qint64(2147483647) + 1;
inline constexpr int MinScaleStep = BackgroundScale::MinStep;
inline constexpr int MaxScaleStep = BackgroundScale::MaxStep;

// What a file holds besides the document itself.
struct DecodedFile {
    LabelDocument document;     // TextItems, SelectedText, BackLeft..BackHeight
    std::int16_t scaleStep = 0; // as stored; without a picture a step out of range reads as 0
    QByteArray picture;         // empty when the file has no picture
    // The layouts were left behind by another program's save of the records: every item reads
    // straight, as its record says.
    bool layoutsDropped = false;
};

enum class Refusal {
    None,
    NotALabelFile, // wrong identification, or not a regular file
    Damaged,       // right identification, but something after it is wrong or cut short
    NewerVersion,  // holds what only a later version of the program can read
    Unreadable,    // the file could not be read at all (the store's verdict, never decode's)
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
// by code page 932 or does not fit its record, a count, selection or scale step outside its
// range, a position that is not a finite number, and a picture too large for the file or of one
// byte (which the file cannot tell from none).
// A picture of N > 0 bytes makes a file of PictureOffset + N bytes; the unused bytes are zero.
EncodeResult encode(const LabelDocument& document, std::int16_t scaleStep,
                    const QByteArray& picture);

DecodeResult decode(const QByteArray& bytes);
// The same, the picture taking over the file's own bytes: a large photo is never held twice.
DecodeResult decode(QByteArray&& bytes);

// Checks the identification record alone: `firstBytes` may be just the file's first RecordSize
// bytes, so that a file of another kind is refused before the rest of it is read.
DecodeResult identify(const QByteArray& firstBytes);

// Why one text item cannot be written, or an empty string when it fits its record. Lets the
// text commands refuse an item when it is entered instead of at the next save.
QString itemProblem(const TextItem& item);

// Whether an item's text and font name fit its record: the one rule, for the codec and for the
// dialogs that refuse a text while it can still be changed.
struct StringsFit {
    enum class Problem { None, TextCharacter, FontCharacter, TooLong };
    Problem problem = Problem::None;
    QString character; // the character code page 932 cannot hold, when there is one
    qsizetype bytes = 0; // what the two strings take in code page 932
};
StringsFit stringsFit(const QString& text, const QString& fontName);

} // namespace LabelFileCodec
