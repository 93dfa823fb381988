#pragma once

#include "document/SheetLayout.h"
#include "platform/Platform.h"

#include <QString>
#include <optional>
#include <vector>

// The medium chosen in ファイル → 用紙 and the labels of a sheet printed last, as the settings
// keep them (documents never hold them: a design prints on any medium).
namespace PrintMedium {

struct Chosen {
    std::optional<SheetLayout> layout; // empty when the stored one is no longer listed
    QString storedName;
};

// The medium chosen (the tray until one is chosen).
Chosen chosen(Platform& platform);
// Remembers the choice; false when the settings store refused it.
bool choose(Platform& platform, const SheetLayout& layout);

// Why a job cannot print on a chosen medium that is no longer listed.
QString missingReason(const QString& storedName);

// How the medium is named in the menu and the dialogs: "ディスク（プリンターのトレイ）" or the
// sheet's name with its paper ("Avery L6015（A4）").
QString caption(const SheetLayout& layout);

// The positions (0-based) printed last on this sheet; every position the first time, or when
// what is stored no longer fits the sheet.
std::vector<int> lastPositions(Platform& platform, const SheetLayout& layout);
// Remembers them for the next print; a store that refuses costs only that.
void rememberPositions(Platform& platform, const SheetLayout& layout,
                       const std::vector<int>& positions);

} // namespace PrintMedium
