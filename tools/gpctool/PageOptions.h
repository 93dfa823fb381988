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
};

// A decimal int, or empty.
std::optional<int> wholeNumber(const QString& text);

// Reads --offset L,T, --page WxH or --dpi N. Empty when `name` is none of them; else an empty
// string when the value was taken, or what is wrong with it.
std::optional<QString> read(const QString& name, const QString& value, Options& options);

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
