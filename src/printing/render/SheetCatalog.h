#pragma once

#include "document/SheetFile.h"
#include "document/SheetLayout.h"

#include <QString>
#include <vector>

// Every medium the editor knows: the disc tray, the built-in sheets (resources/sheets/sheets.json)
// and the user's own, one JSON file each in the user's data folder. A user's file that is not a
// valid sheet is left out and named with what is wrong with it.
namespace SheetCatalog {

struct Refusal {
    QString file;
    SheetFile::Problem problem;
};

struct Catalog {
    std::vector<SheetLayout> media; // the tray first, then the built-in sheets, then the user's
    std::vector<Refusal> refused;

    // The medium of that name or alias, without regard to case; null when none.
    const SheetLayout* find(const QString& name) const;
};

// The built-in sheets and the *.json files of `userFolder`, in file name order.
Catalog read(const QString& userFolder);

// $XDG_DATA_HOME/Gyroplatecomposer/sheets (normally ~/.local/share/Gyroplatecomposer/sheets).
QString userFolder();

// The catalogue of this run, read from userFolder() on first use.
const Catalog& installed();

} // namespace SheetCatalog
