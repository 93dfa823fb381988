#include "tools/gpctool/DocumentJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <charconv>
#include <cmath>
#include <limits>

namespace DocumentJson {

namespace {

// ---- Writing ----------------------------------------------------------------------------------

QByteArray quoted(const QString& text) {
    QByteArray out = "\"";
    for (const char c : text.toUtf8()) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += QStringLiteral("\\u%1").arg(int(c), 4, 16, QLatin1Char('0')).toLatin1();
        } else {
            out += c;
        }
    }
    return out + '"';
}

QByteArray member(const char* key, const QByteArray& value) {
    return QByteArray("\"") + key + "\": " + value;
}

QByteArray number(std::int64_t value) {
    return QByteArray::number(qint64(value));
}

// The names the JSON gives the layout's choices, in the order of their enumerations.
const QStringList SideNames = {QStringLiteral("Outside"), QStringLiteral("Inside"),
                               QStringLiteral("Auto")};
const QStringList AlignNames = {QStringLiteral("Start"), QStringLiteral("Centre"),
                                QStringLiteral("End")};

QByteArray writeLayout(const TextLayout& layout) {
    QByteArrayList members;
    switch (layout.kind) {
    case TextLayoutKind::Straight:
        members = {member("Kind", quoted(QStringLiteral("Straight"))),
                   member("Rotation", formatFloat(layout.rotationDeg))};
        break;
    case TextLayoutKind::Arc:
        members = {member("Kind", quoted(QStringLiteral("Arc"))),
                   member("Radius", formatFloat(layout.radiusMm)),
                   member("Angle", formatFloat(layout.angleDeg)),
                   member("Side", quoted(SideNames[int(layout.side)])),
                   member("Align", quoted(AlignNames[int(layout.align)])),
                   member("Spacing", formatFloat(layout.spacingMm))};
        break;
    case TextLayoutKind::Vertical:
        members = {member("Kind", quoted(QStringLiteral("Vertical"))),
                   member("Spacing", formatFloat(layout.spacingMm)),
                   member("UprightDigits", layout.uprightDigits ? "true" : "false")};
        break;
    }
    return "{" + members.join(", ") + "}";
}

QByteArray writeItem(const TextItem& item) {
    QByteArrayList members = {
        member("Text", quoted(item.Text)),          member("Left", formatFloat(item.Left)),
        member("Top", formatFloat(item.Top)),       member("Width", formatFloat(item.Width)),
        member("Height", formatFloat(item.Height)), member("Size", number(item.Size)),
        member("Color", number(item.Color)),        member("FontName", quoted(item.FontName))};
    if (!item.layout.isPlain())
        members.append(member("Layout", writeLayout(item.layout)));
    return "    {" + members.join(", ") + "}";
}

QByteArray writeItems(const LabelDocument& document) {
    if (document.itemCount() == 0)
        return "[]";
    QByteArrayList items;
    for (const TextItem& item : document.TextItems)
        items.append(writeItem(item));
    return "[\n" + items.join(",\n") + "\n  ]";
}

// ---- Reading ----------------------------------------------------------------------------------

// Reads typed values out of JSON objects, keeping the first problem as a one-line reason.
class SpecReader {
public:
    bool failed() const { return !reason_.isEmpty(); }
    QString reason() const { return reason_; }

    bool onlyKnownKeys(const QJsonObject& object, const QStringList& known, const QString& where) {
        for (const QString& key : object.keys()) {
            if (!known.contains(key))
                return fail(QStringLiteral("%1unknown key \"%2\"").arg(where, key));
        }
        return true;
    }

    template <typename Int>
    void integer(const QJsonObject& object, const QString& key, const QString& where, Int& out) {
        if (failed() || !object.contains(key))
            return;
        const QJsonValue value = object.value(key);
        const double number = value.toDouble();
        if (!value.isDouble() || std::trunc(number) != number ||
            number < double(std::numeric_limits<Int>::min()) ||
            number > double(std::numeric_limits<Int>::max())) {
            fail(QStringLiteral("%1\"%2\" must be a whole number from %3 to %4")
                     .arg(where, key)
                     .arg(qint64(std::numeric_limits<Int>::min()))
                     .arg(qint64(std::numeric_limits<Int>::max())));
            return;
        }
        out = static_cast<Int>(number);
    }

    void real(const QJsonObject& object, const QString& key, const QString& where, float& out) {
        if (failed() || !object.contains(key))
            return;
        const QJsonValue value = object.value(key);
        const std::optional<float> converted =
            value.isDouble() ? toFloat(value.toDouble()) : std::nullopt;
        if (!converted) {
            fail(QStringLiteral("%1\"%2\" must be a number within the range of a 32-bit float")
                     .arg(where, key));
            return;
        }
        out = *converted;
    }

    // One of the names, as its position.
    template <typename Enum>
    void choice(const QJsonObject& object, const QString& key, const QString& where,
                const QStringList& names, Enum& out) {
        QString name;
        text(object, key, where, name);
        if (failed() || !object.contains(key))
            return;
        if (!names.contains(name)) {
            fail(QStringLiteral("%1\"%2\" must be one of %3").arg(where, key, names.join(u", ")));
            return;
        }
        out = Enum(names.indexOf(name));
    }

    void boolean(const QJsonObject& object, const QString& key, const QString& where, bool& out) {
        if (failed() || !object.contains(key))
            return;
        if (!object.value(key).isBool()) {
            fail(QStringLiteral("%1\"%2\" must be true or false").arg(where, key));
            return;
        }
        out = object.value(key).toBool();
    }

    void text(const QJsonObject& object, const QString& key, const QString& where, QString& out) {
        if (failed() || !object.contains(key))
            return;
        if (!object.value(key).isString()) {
            fail(QStringLiteral("%1\"%2\" must be a string").arg(where, key));
            return;
        }
        out = object.value(key).toString();
    }

    bool fail(const QString& reason) {
        if (reason_.isEmpty())
            reason_ = reason;
        return false;
    }

private:
    // Through the double's shortest form, so that any decimal of up to 15 significant digits
    // (every float this tool prints among them) is rounded once, straight to the nearest float.
    static std::optional<float> toFloat(double value) {
        char buffer[64];
        const auto printed = std::to_chars(buffer, buffer + sizeof buffer, value);
        float result = 0;
        const auto parsed = std::from_chars(buffer, printed.ptr, result);
        if (printed.ec != std::errc() || parsed.ec != std::errc() || !std::isfinite(result))
            return std::nullopt;
        return result;
    }

    QString reason_;
};

const QStringList DocumentKeys = {
    QStringLiteral("ScaleStep"),    QStringLiteral("BackLeft"),   QStringLiteral("BackTop"),
    QStringLiteral("BackWidth"),    QStringLiteral("BackHeight"), QStringLiteral("TextCount"),
    QStringLiteral("SelectedText"), QStringLiteral("TextItems"),  QStringLiteral("PictureBytes")};
const QStringList ItemKeys = {
    QStringLiteral("Text"),  QStringLiteral("Left"),     QStringLiteral("Top"),
    QStringLiteral("Width"), QStringLiteral("Height"),   QStringLiteral("Size"),
    QStringLiteral("Color"), QStringLiteral("FontName"), QStringLiteral("Layout")};
const QStringList KindNames = {QStringLiteral("Straight"), QStringLiteral("Arc"),
                               QStringLiteral("Vertical")};
// The keys each kind of layout takes besides "Kind".
const QList<QStringList> LayoutKeys = {
    {QStringLiteral("Rotation")},
    {QStringLiteral("Radius"), QStringLiteral("Angle"), QStringLiteral("Side"),
     QStringLiteral("Align"), QStringLiteral("Spacing")},
    {QStringLiteral("Spacing"), QStringLiteral("UprightDigits")}};

void readLayout(SpecReader& reader, const QJsonValue& value, const QString& itemWhere,
                TextLayout& layout) {
    const QString where = itemWhere + QStringLiteral("Layout: ");
    if (!value.isObject()) {
        reader.fail(where + QStringLiteral("must be an object"));
        return;
    }
    const QJsonObject object = value.toObject();
    if (!object.contains(QStringLiteral("Kind"))) {
        reader.fail(where + QStringLiteral("\"Kind\" is missing"));
        return;
    }
    reader.choice(object, QStringLiteral("Kind"), where, KindNames, layout.kind);
    if (reader.failed() ||
        !reader.onlyKnownKeys(object, LayoutKeys[int(layout.kind)] + QStringList{"Kind"}, where))
        return;
    reader.real(object, QStringLiteral("Rotation"), where, layout.rotationDeg);
    reader.real(object, QStringLiteral("Radius"), where, layout.radiusMm);
    reader.real(object, QStringLiteral("Angle"), where, layout.angleDeg);
    reader.choice(object, QStringLiteral("Side"), where, SideNames, layout.side);
    reader.choice(object, QStringLiteral("Align"), where, AlignNames, layout.align);
    reader.real(object, QStringLiteral("Spacing"), where, layout.spacingMm);
    reader.boolean(object, QStringLiteral("UprightDigits"), where, layout.uprightDigits);
    if (!reader.failed() && !layout.isValid())
        reader.fail(where + QStringLiteral("a value is out of range (Rotation and Angle -180 to "
                                           "180, Radius 10 to 61, Spacing -5 to 20)"));
}

void readItem(SpecReader& reader, const QJsonValue& value, int index, TextItem& item) {
    const QString where = QStringLiteral("TextItems[%1]: ").arg(index);
    if (!value.isObject()) {
        reader.fail(where + QStringLiteral("must be an object"));
        return;
    }
    const QJsonObject object = value.toObject();
    if (!reader.onlyKnownKeys(object, ItemKeys, where))
        return;
    reader.text(object, QStringLiteral("Text"), where, item.Text);
    reader.real(object, QStringLiteral("Left"), where, item.Left);
    reader.real(object, QStringLiteral("Top"), where, item.Top);
    reader.real(object, QStringLiteral("Width"), where, item.Width);
    reader.real(object, QStringLiteral("Height"), where, item.Height);
    reader.integer(object, QStringLiteral("Size"), where, item.Size);
    reader.integer(object, QStringLiteral("Color"), where, item.Color);
    reader.text(object, QStringLiteral("FontName"), where, item.FontName);
    if (object.contains(QStringLiteral("Layout")))
        readLayout(reader, object.value(QStringLiteral("Layout")), where, item.layout);
}

// TextCount follows the array; a count given beside it must agree with it.
void readItems(SpecReader& reader, const QJsonObject& root, LabelDocument& document) {
    const QJsonValue items = root.value(QStringLiteral("TextItems"));
    if (!items.isUndefined() && !items.isArray()) {
        reader.fail(QStringLiteral("\"TextItems\" must be an array"));
        return;
    }
    const QJsonArray array = items.toArray();
    if (array.size() > MaxTextItems) {
        reader.fail(QStringLiteral("\"TextItems\" has %1 items; a document holds at most %2")
                        .arg(array.size())
                        .arg(MaxTextItems));
        return;
    }
    std::int32_t count = std::int32_t(array.size());
    reader.integer(root, QStringLiteral("TextCount"), QString(), count);
    if (!reader.failed() && count != array.size())
        reader.fail(QStringLiteral("\"TextCount\" is %1 but \"TextItems\" has %2 items")
                        .arg(count)
                        .arg(array.size()));
    document.TextItems.resize(std::size_t(array.size()));
    for (int i = 0; i < array.size(); ++i)
        readItem(reader, array.at(i), i, document.item(i));
}

} // namespace

QByteArray formatFloat(float value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, result.ptr - buffer);
}

QByteArray write(const LabelFileCodec::DecodedFile& file) {
    const LabelDocument& document = file.document;
    const QByteArrayList members = {member("ScaleStep", number(file.scaleStep)),
                                    member("BackLeft", formatFloat(document.BackLeft)),
                                    member("BackTop", formatFloat(document.BackTop)),
                                    member("BackWidth", formatFloat(document.BackWidth)),
                                    member("BackHeight", formatFloat(document.BackHeight)),
                                    member("TextCount", number(document.itemCount())),
                                    member("SelectedText", number(document.SelectedText)),
                                    member("TextItems", writeItems(document)),
                                    member("PictureBytes", number(file.picture.size()))};
    return "{\n  " + members.join(",\n  ") + "\n}\n";
}

ReadResult read(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument parsed = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return {std::nullopt, QStringLiteral("not valid JSON at offset %1: %2")
                                  .arg(error.offset)
                                  .arg(error.errorString())};
    if (!parsed.isObject())
        return {std::nullopt, QStringLiteral("the JSON must be one object")};
    const QJsonObject root = parsed.object();
    SpecReader reader;
    Description description;
    reader.onlyKnownKeys(root, DocumentKeys, QString());
    reader.integer(root, QStringLiteral("ScaleStep"), QString(), description.scaleStep);
    reader.real(root, QStringLiteral("BackLeft"), QString(), description.document.BackLeft);
    reader.real(root, QStringLiteral("BackTop"), QString(), description.document.BackTop);
    reader.real(root, QStringLiteral("BackWidth"), QString(), description.document.BackWidth);
    reader.real(root, QStringLiteral("BackHeight"), QString(), description.document.BackHeight);
    reader.integer(root, QStringLiteral("SelectedText"), QString(), description.document.SelectedText);
    readItems(reader, root, description.document);
    if (reader.failed())
        return {std::nullopt, reader.reason()};
    return {description, QString()};
}

} // namespace DocumentJson
