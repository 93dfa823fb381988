#pragma once

#include "document/LabelDocument.h"
#include "platform/pictures/Picture.h"
#include "printing/render/PageExport.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// What render and merge share: the page options and reading a document with its picture.
namespace PageOptions {

struct Options {
    PageExport::Page page;
    int dpi = 300;
    bool pageGiven = false, offsetGiven = false, dpiGiven = false;
    bool sheetGiven = false, scaleGiven = false;
    QString positions; // --positions as given; finish() reads it against the medium
    bool positionsGiven() const { return !positions.isEmpty(); }
    // Whether any option places labels on a page (as --label and --view take none).
    bool placesLabels() const {
        return pageGiven || offsetGiven || sheetGiven || scaleGiven || positionsGiven();
    }
};

// A decimal int, or empty.
std::optional<int> wholeNumber(const QString& text);

// Reads --offset L,T, --page WxH, --dpi N, --sheet NAME, --positions 1,2 or --scale X,Y. Empty
// when `name` is none of them; else an empty string when the value was taken, or what is wrong
// with it.
std::optional<QString> read(const QString& name, const QString& value, Options& options);

// Once every option is read: the positions on the medium chosen, and a page size only where the
// medium has none of its own. An empty string, or what is wrong.
QString finish(Options& options);

// "1,3" -> {0, 2}: distinct positions of a medium with `count`, or empty.
std::optional<std::vector<int>> positionList(const QString& text, int count);

// Splits the option at args[i], given as --name=value or as --name value (then `i` moves onto the
// value). An empty string when it could, else what is wrong.
QString split(const QStringList& args, int& i, QString& name, QString& value);

struct LoadedLabel {
    LabelDocument document;
    std::int16_t scaleStep = 0;
    QByteArray pictureBytes; // as stored in the file
    Picture picture;
};

// The document and its decoded picture; empty with `reason` when either cannot be read. Fonts
// the document names that are not installed are told on stderr (tellSubstitutedFonts).
std::optional<LoadedLabel> load(const QString& path, QString& reason);

// One line on stderr naming each font that is not installed and the font drawn instead; nothing
// when every font is installed.
void tellSubstitutedFonts(const LabelDocument& document);

} // namespace PageOptions
