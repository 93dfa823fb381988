#include "document/LabelFileCodec.h"

#include "document/LayoutBlock.h"
#include "text/Cp932.h"

#include <QtEndian>
#include <bit>
#include <cmath>
#include <vector>

namespace LabelFileCodec {

namespace {

constexpr int HeaderRecords = 5; // identification, scale step, placement, count, selection
constexpr qsizetype IdentificationBytes = sizeof(Identification) - 1;

QString describeCharacter(const QString& character) {
    return QStringLiteral("\"%1\" (%2)").arg(character, Cp932::codePointName(character));
}

QString itemPrefix(int index) {
    return QStringLiteral("text item %1: ").arg(index);
}

// ---- Writing ----------------------------------------------------------------------------------

struct EncodedItem {
    QByteArray text;
    QByteArray fontName;
};

// One string of an item in code page 932, or the reason it cannot be.
std::optional<QByteArray> encodeString(const QString& value, const char* fieldName,
                                       QString& reason) {
    Cp932::EncodeResult encoded = Cp932::encode(value);
    if (encoded.bytes)
        return encoded.bytes;
    reason = encoded.failedCharacter.isEmpty()
                 ? QStringLiteral("the %1 cannot be written in code page 932").arg(fieldName)
                 : QStringLiteral("the %1 holds %2, which code page 932 cannot hold")
                       .arg(fieldName, describeCharacter(encoded.failedCharacter));
    return std::nullopt;
}

QString checkNumbers(const TextItem& item) {
    if (!item.layout.isValid())
        return QStringLiteral("the layout has a value out of range");
    const std::pair<const char*, float> fields[] = {
        {"Left", item.Left}, {"Top", item.Top}, {"Width", item.Width}, {"Height", item.Height}};
    for (const auto& [name, value] : fields) {
        if (!std::isfinite(value))
            return QStringLiteral("%1 is not a finite number").arg(QLatin1String(name));
    }
    return QString();
}

// The item's two strings, or the reason the item does not fit its record.
std::optional<EncodedItem> encodeItem(const TextItem& item, QString& reason) {
    reason = checkNumbers(item);
    if (!reason.isEmpty())
        return std::nullopt;
    std::optional<QByteArray> text = encodeString(item.Text, "text", reason);
    if (!text)
        return std::nullopt;
    std::optional<QByteArray> fontName = encodeString(item.FontName, "font name", reason);
    if (!fontName)
        return std::nullopt;
    const qsizetype total = text->size() + fontName->size();
    if (total > MaxItemStringBytes) {
        reason = QStringLiteral("the text and font name take %1 bytes in code page 932; a record "
                                "holds at most %2")
                     .arg(total)
                     .arg(MaxItemStringBytes);
        return std::nullopt;
    }
    return EncodedItem{*text, *fontName};
}

StringsFit fitOf(const QString& text, const QString& fontName) {
    const Cp932::EncodeResult encodedText = Cp932::encode(text);
    if (!encodedText.bytes)
        return StringsFit{StringsFit::Problem::TextCharacter, encodedText.failedCharacter, 0};
    const Cp932::EncodeResult encodedFont = Cp932::encode(fontName);
    if (!encodedFont.bytes)
        return StringsFit{StringsFit::Problem::FontCharacter, encodedFont.failedCharacter, 0};
    const qsizetype bytes = encodedText.bytes->size() + encodedFont.bytes->size();
    return StringsFit{bytes > MaxItemStringBytes ? StringsFit::Problem::TooLong
                                                 : StringsFit::Problem::None,
                      QString(), bytes};
}

// The item count and the selection as the file has them, and the placement.
QString checkCounts(int count, int selected, const LabelDocument& document) {
    if (count < 0 || count > MaxTextItems)
        return QStringLiteral("the text count %1 is outside 0..%2").arg(count).arg(MaxTextItems);
    if (selected < -1 || selected >= count)
        return QStringLiteral("the selected item %1 is outside -1..%2")
            .arg(selected)
            .arg(count - 1);
    if (!std::isfinite(document.BackLeft) || !std::isfinite(document.BackTop) ||
        !std::isfinite(document.BackWidth) || !std::isfinite(document.BackHeight))
        return QStringLiteral("the background placement is not a finite number");
    return QString();
}

QString checkDocument(const LabelDocument& document) {
    return checkCounts(document.itemCount(), document.SelectedText, document);
}

QString checkScaleStep(std::int16_t scaleStep) {
    if (scaleStep < MinScaleStep || scaleStep > MaxScaleStep)
        return QStringLiteral("the scale step %1 is outside %2..%3")
            .arg(scaleStep)
            .arg(MinScaleStep)
            .arg(MaxScaleStep);
    return QString();
}

// Fills one record from its first byte; what follows the value stays zero.
class RecordWriter {
public:
    RecordWriter(QByteArray& file, qsizetype recordIndex)
        : at_(file.data() + recordIndex * RecordSize) {}

    void i16(std::int16_t value) { put(value); }
    void i32(std::int32_t value) { put(value); }
    void f32(float value) { put(std::bit_cast<std::uint32_t>(value)); }
    void string(const QByteArray& bytes) {
        i16(static_cast<std::int16_t>(bytes.size()));
        std::copy(bytes.cbegin(), bytes.cend(), at_);
        at_ += bytes.size();
    }

private:
    template <typename T> void put(T value) {
        qToLittleEndian(value, at_);
        at_ += sizeof(T);
    }
    char* at_;
};

void writeItem(QByteArray& file, qsizetype recordIndex, const TextItem& item,
               const EncodedItem& strings) {
    RecordWriter record(file, recordIndex);
    record.string(strings.text);
    record.f32(item.Left);
    record.f32(item.Top);
    record.f32(item.Width);
    record.f32(item.Height);
    record.i32(item.Size);
    record.i32(item.Color);
    record.string(strings.fontName);
}

void writeRecords(QByteArray& file, const LabelDocument& document, std::int16_t scaleStep,
                  const std::vector<EncodedItem>& items, const QByteArray& picture);

QByteArray layOut(const LabelDocument& document, std::int16_t scaleStep,
                  const std::vector<EncodedItem>& items, const QByteArray& picture) {
    const qsizetype records = HeaderRecords + qsizetype(items.size()) + 1;
    const qsizetype size =
        picture.isEmpty() ? records * RecordSize : PictureOffset + picture.size();
    QByteArray file(size, '\0');
    writeRecords(file, document, scaleStep, items, picture);
    // The layouts after the last record: at the end of a file without a picture, in the unused
    // bytes before it otherwise (a hundred entries take a few kilobytes of the 86 there).
    const QByteArray layouts = LayoutBlock::encode(
        document.TextItems, LayoutBlock::recordsChecksum(file, int(items.size())));
    if (!layouts.isEmpty()) {
        if (picture.isEmpty())
            file += layouts;
        else
            file.replace(records * RecordSize, layouts.size(), layouts);
    }
    std::copy(picture.cbegin(), picture.cend(), file.begin() + PictureOffset);
    return file;
}

void writeRecords(QByteArray& file, const LabelDocument& document, std::int16_t scaleStep,
                  const std::vector<EncodedItem>& items, const QByteArray& picture) {
    const qsizetype records = HeaderRecords + qsizetype(items.size()) + 1;
    RecordWriter(file, 0).string(QByteArray(Identification, IdentificationBytes));
    RecordWriter(file, 1).i16(scaleStep);
    RecordWriter placement(file, 2);
    placement.f32(document.BackLeft);
    placement.f32(document.BackTop);
    placement.f32(document.BackWidth);
    placement.f32(document.BackHeight);
    RecordWriter(file, 3).i32(std::int32_t(items.size()));
    RecordWriter(file, 4).i32(document.SelectedText);
    for (std::size_t i = 0; i < items.size(); ++i)
        writeItem(file, HeaderRecords + qsizetype(i), document.TextItems[i], items[i]);
    const auto upperBound = static_cast<std::int32_t>(picture.isEmpty() ? 0 : picture.size() - 1);
    RecordWriter(file, records - 1).i32(upperBound);
}

// ---- Reading ----------------------------------------------------------------------------------

enum class ReadFault { None, CutShort, PastRecord };

// Reads values one after another from one record, never beyond the record or the file.
class RecordReader {
public:
    RecordReader(const QByteArray& file, qsizetype recordIndex)
        : file_(file), start_(recordIndex * RecordSize) {}

    std::int16_t i16() { return get<std::int16_t>(); }
    std::int32_t i32() { return get<std::int32_t>(); }
    float f32() { return std::bit_cast<float>(get<std::uint32_t>()); }
    QByteArray string() {
        const std::int16_t count = i16();
        if (fault_ == ReadFault::None && count < 0)
            fault_ = ReadFault::PastRecord; // a negative length is as bad as an overlong one
        const char* bytes = take(count);
        return bytes ? QByteArray(bytes, count) : QByteArray();
    }
    ReadFault fault() const { return fault_; }

private:
    const char* take(qsizetype count) {
        if (fault_ != ReadFault::None)
            return nullptr;
        if (position_ + count > RecordSize)
            fault_ = ReadFault::PastRecord;
        else if (start_ + position_ + count > file_.size())
            fault_ = ReadFault::CutShort;
        if (fault_ != ReadFault::None)
            return nullptr;
        const char* bytes = file_.constData() + start_ + position_;
        position_ += count;
        return bytes;
    }
    template <typename T> T get() {
        const char* bytes = take(sizeof(T));
        return bytes ? qFromLittleEndian<T>(bytes) : T{};
    }

    const QByteArray& file_;
    qsizetype start_;
    qsizetype position_ = 0;
    ReadFault fault_ = ReadFault::None;
};

DecodeResult refuse(Refusal refusal, const QString& reason) {
    return DecodeResult{std::nullopt, refusal, reason};
}

// A string running past the identification record is what a file of another kind usually
// gives; past a later record, after a right identification, the file is damaged.
DecodeResult refuseFault(ReadFault fault, qsizetype recordIndex, const char* what) {
    if (fault == ReadFault::PastRecord)
        return refuse(recordIndex == 0 ? Refusal::NotALabelFile : Refusal::Damaged,
                      QStringLiteral("a string count in record %1 (%2) runs past its record")
                          .arg(recordIndex + 1)
                          .arg(QLatin1String(what)));
    return refuse(Refusal::Damaged, QStringLiteral("the file ends inside record %1 (%2)")
                                        .arg(recordIndex + 1)
                                        .arg(QLatin1String(what)));
}

// Record 1. A file of another kind is refused as such; a label file cut inside its first record
// (whatever is there matches the start of the identification) counts as damaged.
DecodeResult checkIdentification(const QByteArray& bytes) {
    const QByteArray expected =
        QByteArray("\x1b\x00", 2) + QByteArray(Identification, IdentificationBytes);
    if (bytes.isEmpty())
        return refuse(Refusal::NotALabelFile, QStringLiteral("the file is empty"));
    if (bytes.size() < expected.size() && expected.startsWith(bytes))
        return refuseFault(ReadFault::CutShort, 0, "identification");
    RecordReader record(bytes, 0);
    const QByteArray identification = record.string();
    if (record.fault() == ReadFault::PastRecord)
        return refuseFault(ReadFault::PastRecord, 0, "identification");
    if (record.fault() != ReadFault::None || identification != expected.mid(2))
        return refuse(Refusal::NotALabelFile,
                      QStringLiteral("the file does not start with the identification \"%1\"")
                          .arg(QLatin1String(Identification)));
    return DecodeResult{};
}

DecodeResult readItem(const QByteArray& bytes, int index, TextItem& item) {
    const qsizetype recordIndex = HeaderRecords + index;
    RecordReader record(bytes, recordIndex);
    const QByteArray text = record.string();
    item.Left = record.f32();
    item.Top = record.f32();
    item.Width = record.f32();
    item.Height = record.f32();
    item.Size = record.i32();
    item.Color = record.i32();
    const QByteArray fontName = record.string();
    if (record.fault() != ReadFault::None)
        return refuseFault(record.fault(), recordIndex, "text item");
    const std::optional<QString> decodedText = Cp932::decode(text);
    const std::optional<QString> decodedFont = Cp932::decode(fontName);
    if (!decodedText || !decodedFont)
        return refuse(Refusal::Damaged,
                      itemPrefix(index) + QStringLiteral("the %1 is not valid code page 932")
                                              .arg(decodedText ? "font name" : "text"));
    const QString numbers = checkNumbers(item);
    if (!numbers.isEmpty())
        return refuse(Refusal::Damaged, itemPrefix(index) + numbers);
    item.Text = *decodedText;
    item.FontName = *decodedFont;
    return DecodeResult{};
}

DecodeResult readHeader(const QByteArray& bytes, DecodedFile& file) {
    LabelDocument& document = file.document;
    RecordReader scale(bytes, 1);
    file.scaleStep = scale.i16();
    RecordReader placement(bytes, 2);
    document.BackLeft = placement.f32();
    document.BackTop = placement.f32();
    document.BackWidth = placement.f32();
    document.BackHeight = placement.f32();
    RecordReader count(bytes, 3);
    const std::int32_t itemCount = count.i32();
    RecordReader selection(bytes, 4);
    document.SelectedText = selection.i32();
    const std::pair<const RecordReader*, const char*> records[] = {
        {&scale, "scale step"},
        {&placement, "background placement"},
        {&count, "text count"},
        {&selection, "selected item"}};
    for (qsizetype i = 0; i < 4; ++i) {
        if (records[i].first->fault() != ReadFault::None)
            return refuseFault(records[i].first->fault(), i + 1, records[i].second);
    }
    const QString problem = checkCounts(itemCount, document.SelectedText, document);
    if (!problem.isEmpty())
        return refuse(Refusal::Damaged, problem);
    document.TextItems.resize(std::size_t(itemCount));
    return DecodeResult{};
}

// The picture's size in `pictureBytes` (0 for none); the caller takes the bytes.
DecodeResult readPicture(const QByteArray& bytes, qsizetype recordIndex, qint64& pictureBytes) {
    pictureBytes = 0;
    RecordReader record(bytes, recordIndex);
    const std::int32_t upperBound = record.i32();
    if (record.fault() != ReadFault::None)
        return refuseFault(record.fault(), recordIndex, "picture size");
    if (upperBound < 0)
        return refuse(Refusal::Damaged,
                      QStringLiteral("the picture size %1 is negative").arg(upperBound));
    if (upperBound == 0) // no picture, and a one-byte picture reads back as none
        return DecodeResult{};
    const qint64 wanted = qint64(upperBound) + 1;
    const qint64 present = qMax<qint64>(0, bytes.size() - PictureOffset);
    if (present < wanted)
        return refuse(Refusal::Damaged,
                      QStringLiteral("the picture region is cut short: %1 of %2 bytes present")
                          .arg(qMin(present, wanted))
                          .arg(wanted));
    pictureBytes = wanted;
    return DecodeResult{};
}

bool refused(const DecodeResult& result) {
    return result.refusal != Refusal::None;
}

} // namespace

StringsFit stringsFit(const QString& text, const QString& fontName) {
    return fitOf(text, fontName);
}

QString itemProblem(const TextItem& item) {
    QString reason;
    encodeItem(item, reason);
    return reason;
}

EncodeResult encode(const LabelDocument& document, std::int16_t scaleStep,
                    const QByteArray& picture) {
    QString problem = checkDocument(document);
    if (problem.isEmpty())
        problem = checkScaleStep(scaleStep);
    if (!problem.isEmpty())
        return EncodeResult{std::nullopt, problem};
    std::vector<EncodedItem> items;
    for (int i = 0; i < document.itemCount(); ++i) {
        QString reason;
        std::optional<EncodedItem> item = encodeItem(document.item(i), reason);
        if (!item)
            return EncodeResult{std::nullopt, itemPrefix(i) + reason};
        items.push_back(std::move(*item));
    }
    if (picture.size() > MaxPictureBytes)
        return EncodeResult{std::nullopt, QStringLiteral("the picture has %1 bytes; a file holds "
                                                         "at most %2")
                                              .arg(picture.size())
                                              .arg(MaxPictureBytes)};
    // Its size is stored less one, and 0 means no picture.
    if (picture.size() == 1)
        return EncodeResult{std::nullopt,
                            QStringLiteral("a picture of one byte cannot be stored; the file "
                                           "would read back without a picture")};
    return EncodeResult{layOut(document, scaleStep, items, picture), QString()};
}

namespace {

// The items' layouts from their block, when there is one.
DecodeResult readLayouts(const QByteArray& bytes, qint64 pictureBytes, DecodedFile& file) {
    const int count = file.document.itemCount();
    const qsizetype recordsEnd = (HeaderRecords + qsizetype(count) + 1) * RecordSize;
    const LayoutBlock::Found found =
        LayoutBlock::find(bytes, recordsEnd, pictureBytes > 0 ? PictureOffset : bytes.size(), count,
                          LayoutBlock::recordsChecksum(bytes, count));
    switch (found.outcome) {
    case LayoutBlock::Outcome::None:
        break;
    case LayoutBlock::Outcome::Applied:
        for (const auto& [index, layout] : found.layouts)
            file.document.item(index).layout = layout;
        break;
    case LayoutBlock::Outcome::Stale:
        file.layoutsDropped = true;
        break;
    case LayoutBlock::Outcome::Damaged:
        return refuse(Refusal::Damaged, found.reason);
    case LayoutBlock::Outcome::Newer:
        return refuse(Refusal::NewerVersion, found.reason);
    }
    return DecodeResult{};
}

// Everything but the picture's bytes, whose size goes to `pictureBytes`.
DecodeResult decodeWithoutPicture(const QByteArray& bytes, qint64& pictureBytes) {
    DecodeResult identification = checkIdentification(bytes);
    if (refused(identification))
        return identification;
    DecodedFile file;
    DecodeResult header = readHeader(bytes, file);
    if (refused(header))
        return header;
    for (int i = 0; i < file.document.itemCount(); ++i) {
        DecodeResult item = readItem(bytes, i, file.document.item(i));
        if (refused(item))
            return item;
    }
    DecodeResult picture =
        readPicture(bytes, HeaderRecords + file.document.itemCount(), pictureBytes);
    if (refused(picture))
        return picture;
    // The step only scales a picture: without one, a step out of range harms nothing.
    const QString step = checkScaleStep(file.scaleStep);
    if (!step.isEmpty() && pictureBytes > 0)
        return refuse(Refusal::Damaged, step);
    if (!step.isEmpty())
        file.scaleStep = 0;
    DecodeResult layouts = readLayouts(bytes, pictureBytes, file);
    if (refused(layouts))
        return layouts;
    return DecodeResult{std::move(file), Refusal::None, QString()};
}

} // namespace

DecodeResult decode(const QByteArray& bytes) {
    qint64 pictureBytes = 0;
    DecodeResult result = decodeWithoutPicture(bytes, pictureBytes);
    if (result.file && pictureBytes > 0)
        result.file->picture = bytes.mid(PictureOffset, pictureBytes);
    return result;
}

DecodeResult decode(QByteArray&& bytes) {
    qint64 pictureBytes = 0;
    DecodeResult result = decodeWithoutPicture(bytes, pictureBytes);
    if (result.file && pictureBytes > 0) {
        bytes.truncate(PictureOffset + pictureBytes);
        bytes.remove(0, PictureOffset);
        result.file->picture = std::move(bytes);
    }
    return result;
}

DecodeResult identify(const QByteArray& firstBytes) {
    return checkIdentification(firstBytes);
}

} // namespace LabelFileCodec
