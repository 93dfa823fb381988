#pragma once

#include <QString>

// The names of the values the editor keeps in the settings store.
namespace SettingsKeys {
// The main window's outer frame, twips.
inline const QString MainLeft = QStringLiteral("MainLeft");
inline const QString MainTop = QStringLiteral("MainTop");
inline const QString MainWidth = QStringLiteral("MainWidth");
inline const QString MainHeight = QStringLiteral("MainHeight");
// The printer offset, millimetres from the printable area's top-left corner.
inline const QString PrinterLeft = QStringLiteral("PrinterLeft");
inline const QString PrinterTop = QStringLiteral("PrinterTop");
// The disc tray's print scale in percent, across and down, beside that offset.
inline const QString PrinterScaleX = QStringLiteral("PrinterScaleX");
inline const QString PrinterScaleY = QStringLiteral("PrinterScaleY");
// Each printer's settings per medium: PrinterProfiles/<printer>/<medium>/Left (Top, ScaleX,
// ScaleY), the names percent-encoded.
inline const QString PrinterProfiles = QStringLiteral("PrinterProfiles");
// The medium printed on (a sheet's name, or "disc" for a printer's disc tray).
inline const QString Medium = QStringLiteral("Medium");
// The labels of a sheet printed last: PrintPositions/<medium> = "1,2".
inline const QString PrintPositions = QStringLiteral("PrintPositions");
// The printer the last print job went to; the next one starts there.
inline const QString LastPrinter = QStringLiteral("LastPrinter");
// The documents opened or saved last, newest first.
inline const QString RecentFiles = QStringLiteral("RecentFiles");
} // namespace SettingsKeys
