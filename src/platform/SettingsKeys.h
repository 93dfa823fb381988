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
// The printer the last print job went to; the next one starts there.
inline const QString LastPrinter = QStringLiteral("LastPrinter");
// The documents opened or saved last, newest first.
inline const QString RecentFiles = QStringLiteral("RecentFiles");
} // namespace SettingsKeys
