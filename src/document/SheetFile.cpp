#include "document/SheetFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <cmath>

namespace SheetFile {

namespace {

// Published layouts give hundredths of a millimetre; an edge that touches is not an overlap.
constexpr double ToleranceMm = 1e-6;
constexpr qsizetype MaxNameLength = 64;

Problem problem(Problem::Kind kind, QString detail = QString(), int first = 0, int second = 0) {
    return Problem{kind, std::move(detail), first, second};
}

Read refused(Problem why) {
    return Read{std::nullopt, std::move(why)};
}

std::optional<QPointF> pointOf(const QJsonValue& value) {
    const QJsonArray pair = value.toArray();
    if (!value.isArray() || pair.size() != 2 || !pair[0].isDouble() || !pair[1].isDouble())
        return std::nullopt;
    return QPointF(pair[0].toDouble(), pair[1].toDouble());
}

} // namespace

std::optional<Problem> check(const SheetLayout& sheet) {
    const auto sideOk = [](double side) { return side >= MinPageSideMm && side <= MaxPageSideMm; };
    if (!sideOk(sheet.pageMm.width()) || !sideOk(sheet.pageMm.height()))
        return problem(Problem::Kind::BadPage);
    if (!(sheet.outerDiameterMm > 0) || sheet.outerDiameterMm > LabelSideMm ||
        !(sheet.holeDiameterMm >= 0))
        return problem(Problem::Kind::BadDiameter);
    if (sheet.holeDiameterMm >= sheet.outerDiameterMm)
        return problem(Problem::Kind::HoleNotSmaller);
    const int count = sheet.positionCount();
    if (count == 0)
        return problem(Problem::Kind::NoLabels);
    if (count > SheetLayout::MaxLabels)
        return problem(Problem::Kind::TooManyLabels, QString(), count);
    const double radius = sheet.outerDiameterMm / 2;
    for (int i = 0; i < count; ++i) {
        const QPointF centre = sheet.centresMm[std::size_t(i)];
        if (centre.x() - radius < -ToleranceMm || centre.y() - radius < -ToleranceMm ||
            centre.x() + radius > sheet.pageMm.width() + ToleranceMm ||
            centre.y() + radius > sheet.pageMm.height() + ToleranceMm)
            return problem(Problem::Kind::OffPage, QString(), i + 1);
        for (int j = 0; j < i; ++j) {
            const QPointF apart = centre - sheet.centresMm[std::size_t(j)];
            if (std::hypot(apart.x(), apart.y()) < sheet.outerDiameterMm - ToleranceMm)
                return problem(Problem::Kind::Overlapping, QString(), j + 1, i + 1);
        }
    }
    return std::nullopt;
}

Read fromJson(const QJsonObject& object) {
    SheetLayout sheet;
    const auto bad = [](const char* key) {
        return refused(problem(Problem::Kind::BadValue, QLatin1String(key)));
    };
    sheet.name = object.value(QLatin1String("name")).toString().trimmed();
    if (sheet.name.isEmpty() || sheet.name.size() > MaxNameLength)
        return bad("name");
    if (object.contains(QLatin1String("aliases"))) {
        const QJsonValue aliases = object.value(QLatin1String("aliases"));
        if (!aliases.isArray())
            return bad("aliases");
        for (const QJsonValue& alias : aliases.toArray()) {
            const QString text = alias.toString().trimmed();
            if (text.isEmpty() || text.size() > MaxNameLength)
                return bad("aliases");
            sheet.aliases << text;
        }
    }
    const std::optional<QPointF> page = pointOf(object.value(QLatin1String("page_mm")));
    if (!page)
        return bad("page_mm");
    sheet.pageMm = QSizeF(page->x(), page->y());
    const QJsonValue outer = object.value(QLatin1String("outer_diameter_mm"));
    if (!outer.isDouble())
        return bad("outer_diameter_mm");
    sheet.outerDiameterMm = outer.toDouble();
    const QJsonValue hole = object.value(QLatin1String("hole_diameter_mm"));
    if (!hole.isDouble())
        return bad("hole_diameter_mm");
    sheet.holeDiameterMm = hole.toDouble();
    const QJsonValue centres = object.value(QLatin1String("centres_mm"));
    if (!centres.isArray())
        return bad("centres_mm");
    for (const QJsonValue& value : centres.toArray()) {
        const std::optional<QPointF> centre = pointOf(value);
        if (!centre)
            return bad("centres_mm");
        sheet.centresMm.push_back(*centre);
    }
    if (std::optional<Problem> wrong = check(sheet))
        return refused(std::move(*wrong));
    return Read{std::move(sheet), Problem{}};
}

Read fromBytes(const QByteArray& bytes) {
    if (bytes.size() > MaxFileBytes)
        return refused(problem(Problem::Kind::TooLarge));
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return refused(problem(Problem::Kind::NotJson, error.errorString(), error.offset + 1));
    if (!json.isObject())
        return refused(problem(Problem::Kind::NotJson, QStringLiteral("not an object"), 1));
    return fromJson(json.object());
}

QString japanese(const Problem& problem) {
    using Kind = Problem::Kind;
    switch (problem.kind) {
    case Kind::Unreadable:
        return QStringLiteral("ファイルを読み込めません（%1）。").arg(problem.detail);
    case Kind::TooLarge:
        return QStringLiteral("ファイルが %1 KB を超えています。").arg(MaxFileBytes / 1024);
    case Kind::NotJson:
        return QStringLiteral("JSON として読めません（%1 文字目: %2）。")
            .arg(problem.first)
            .arg(problem.detail);
    case Kind::BadValue:
        return QStringLiteral("「%1」の値がないか、正しくありません。").arg(problem.detail);
    case Kind::BadPage:
        return QStringLiteral("用紙の縦横は %1～%2 mm にしてください。")
            .arg(MinPageSideMm)
            .arg(MaxPageSideMm);
    case Kind::BadDiameter:
        return QStringLiteral("ラベルの直径は 0 より大きく %1 mm 以下にしてください。")
            .arg(LabelSideMm);
    case Kind::HoleNotSmaller:
        return QStringLiteral("穴の直径がラベルの直径より小さくありません。");
    case Kind::NoLabels:
        return QStringLiteral("ラベルの位置がありません。");
    case Kind::TooManyLabels:
        return QStringLiteral("ラベルが %1 枚あります。%2 枚までにしてください。")
            .arg(problem.first)
            .arg(SheetLayout::MaxLabels);
    case Kind::OffPage:
        return QStringLiteral("%1 枚目のラベルが用紙からはみ出しています。").arg(problem.first);
    case Kind::Overlapping:
        return QStringLiteral("%1 枚目と %2 枚目のラベルが重なっています。")
            .arg(problem.first)
            .arg(problem.second);
    case Kind::DuplicateName:
        return QStringLiteral("同じ名前の用紙「%1」がすでにあります。").arg(problem.detail);
    }
    return QString();
}

QString english(const Problem& problem) {
    using Kind = Problem::Kind;
    switch (problem.kind) {
    case Kind::Unreadable:
        return QStringLiteral("cannot read the file (%1)").arg(problem.detail);
    case Kind::TooLarge:
        return QStringLiteral("larger than %1 KB").arg(MaxFileBytes / 1024);
    case Kind::NotJson:
        return QStringLiteral("not JSON (at character %1: %2)")
            .arg(problem.first)
            .arg(problem.detail);
    case Kind::BadValue:
        return QStringLiteral("\"%1\" is missing or wrong").arg(problem.detail);
    case Kind::BadPage:
        return QStringLiteral("the page's sides must lie between %1 and %2 mm")
            .arg(MinPageSideMm)
            .arg(MaxPageSideMm);
    case Kind::BadDiameter:
        return QStringLiteral("the outer diameter must be above 0 and at most %1 mm")
            .arg(LabelSideMm);
    case Kind::HoleNotSmaller:
        return QStringLiteral("the hole is not smaller than the label");
    case Kind::NoLabels:
        return QStringLiteral("no label centres");
    case Kind::TooManyLabels:
        return QStringLiteral("%1 labels; a sheet holds at most %2")
            .arg(problem.first)
            .arg(SheetLayout::MaxLabels);
    case Kind::OffPage:
        return QStringLiteral("label %1 lies off the page").arg(problem.first);
    case Kind::Overlapping:
        return QStringLiteral("labels %1 and %2 overlap").arg(problem.first).arg(problem.second);
    case Kind::DuplicateName:
        return QStringLiteral("a sheet named \"%1\" is listed already").arg(problem.detail);
    }
    return QString();
}

} // namespace SheetFile
