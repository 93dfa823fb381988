#pragma once

#include "platform/Platform.h"

#include <QString>
#include <optional>

class QWidget;

// The one home of the printer settings: where the label lies on the page and which printer was
// chosen last. The print position dialog, the alignment dialog and every print job read and
// write them here and nowhere else, so that where they are kept can change in this class alone.
//
// A profile belongs to a printer and a medium. Every printer and medium share one offset today,
// the disc tray's under the print position dialog's two keys.
class PrinterProfile {
public:
    // What the label is printed on.
    enum class Medium { DiscTray };

    // The label square's top-left corner in millimetres from the printable area's top-left
    // corner; positive to the right and down.
    struct Offset {
        float leftMm = 0;
        float topMm = 0;
    };

    // The offset as the print position dialog shows and types it.
    struct OffsetTexts {
        QString left;
        QString top;
    };

    // An empty printer name stands for the printer chosen last (or the default one).
    explicit PrinterProfile(Platform& platform, QString printerName = QString(),
                            Medium medium = Medium::DiscTray);

    const QString& printerName() const { return printerName_; }
    Medium medium() const { return medium_; }

    // The stored texts as they are, "0" for a missing value.
    OffsetTexts offsetTexts() const;

    // The offset as printing reads it: empty when a stored value is not a usable number
    // (unusableOffsetReason says why).
    std::optional<Offset> offset() const;
    static QString unusableOffsetReason();

    // Stores the texts, left first; an empty text leaves its value as it was. A settings store
    // that refuses them is reported (over `parent`) once; false then.
    bool writeOffset(const OffsetTexts& texts, QWidget* parent) const;

    // The printer chosen last (empty: none yet); it may have gone since.
    static QString lastPrinter(Platform& platform);
    // Remembers the printer a job was sent to, for the jobs of this run and the next.
    static void rememberPrinter(Platform& platform, const QString& printerName);

private:
    struct OffsetKeys {
        QString left;
        QString top;
    };
    // Where this printer's offset for this medium is kept.
    OffsetKeys offsetKeys() const;

    Platform& platform_;
    QString printerName_;
    Medium medium_;
};
