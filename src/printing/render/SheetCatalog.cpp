#include "printing/render/SheetCatalog.h"

#include "platform/files/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <algorithm>

namespace SheetCatalog {

namespace {

const QString BuiltInFile = QStringLiteral(":/sheets/sheets.json");

bool listed(const Catalog& catalog, const SheetLayout& sheet) {
    const auto named = [&](const QString& name) { return catalog.find(name) != nullptr; };
    return named(sheet.name) || std::any_of(sheet.aliases.begin(), sheet.aliases.end(), named);
}

void add(Catalog& catalog, SheetFile::Read read, const QString& file) {
    if (read.sheet && listed(catalog, *read.sheet))
        read = SheetFile::Read{std::nullopt,
                               {SheetFile::Problem::Kind::DuplicateName, read.sheet->name, 0, 0}};
    if (!read.sheet) {
        catalog.refused.push_back(Refusal{file, read.problem});
        return;
    }
    read.sheet->file = file == BuiltInFile ? QString() : file;
    catalog.media.push_back(std::move(*read.sheet));
}

void addBuiltIn(Catalog& catalog) {
    QFile file(BuiltInFile);
    const QJsonDocument json =
        file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()) : QJsonDocument();
    for (const QJsonValue& sheet : json.array())
        add(catalog, SheetFile::fromJson(sheet.toObject()), BuiltInFile);
}

// Only plain files are read: a FIFO or a device named like a sheet must not stop the editor.
SheetFile::Read readFile(const QString& path) {
    using Kind = SheetFile::Problem::Kind;
    const RegularFile::Contents contents = RegularFile::read(path, SheetFile::MaxFileBytes);
    if (contents.bytes)
        return SheetFile::fromBytes(*contents.bytes);
    switch (contents.problem) {
    case RegularFile::Problem::TooLarge:
        return {std::nullopt, {Kind::TooLarge, QString(), 0, 0}};
    case RegularFile::Problem::NotRegularFile:
    case RegularFile::Problem::Folder:
        return {std::nullopt, {Kind::Unreadable, QStringLiteral("not a plain file"), 0, 0}};
    case RegularFile::Problem::Missing:
    case RegularFile::Problem::Unreadable:
        break;
    }
    return {std::nullopt, {Kind::Unreadable, contents.detail, 0, 0}};
}

} // namespace

const SheetLayout* Catalog::find(const QString& name) const {
    for (const SheetLayout& medium : media)
        if (medium.isNamed(name))
            return &medium;
    return nullptr;
}

Catalog read(const QString& userFolder) {
    Catalog catalog;
    catalog.media.push_back(SheetLayout::discTray());
    addBuiltIn(catalog);
    const QDir folder(userFolder);
    if (userFolder.isEmpty() || !folder.exists())
        return catalog;
    const QFileInfoList files =
        folder.entryInfoList({QStringLiteral("*.json")}, QDir::Files | QDir::System, QDir::Name);
    for (const QFileInfo& info : files)
        add(catalog, readFile(info.filePath()), info.filePath());
    return catalog;
}

QString userFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : data + QStringLiteral("/Gyroplatecomposer/sheets");
}

const Catalog& installed() {
    static const Catalog catalog = read(userFolder());
    return catalog;
}

} // namespace SheetCatalog
