#pragma once

#include "document/SheetLayout.h"
#include "platform/Platform.h"
#include "printing/render/SheetPage.h"

#include <QString>
#include <optional>

class QWidget;

// The one home of the printer settings: where the labels lie on the page, how much larger or
// smaller than true the printer prints them, and which printer was chosen last. The print
// position dialog, the alignment dialog and every print job read and write them here and nowhere
// else, so that where they are kept can change in this class alone.
//
// A profile belongs to a printer and a medium (a SheetLayout's name). One that has no setting of
// its own uses, for the disc tray, the offset every printer shared before printers had their own
// (the print position dialog's two keys, which also hold the disc tray's setting when there is no
// printer at all); for a sheet, no offset; and true size.
class PrinterProfile {
public:
    // The label square's top-left corner in millimetres from where the medium places it (the
    // printable area's top-left corner for the tray, each sticker's published place on a sheet);
    // positive to the right and down.
    struct Offset {
        float leftMm = 0;
        float topMm = 0;
    };

    // How much larger than true the printer must draw the label, across and down (1 = true
    // size), about each label's centre: it makes up for a printer that prints too large or small.
    struct Scale {
        double x = 1;
        double y = 1;
        bool isTrueSize() const { return x == 1 && y == 1; }
    };

    // The settings as the print position dialog shows and types them (the scale in percent).
    struct OffsetTexts {
        QString left;
        QString top;
        QString scaleX;
        QString scaleY;
    };

    // An empty printer name stands for no printer (a job to a file, or a desktop without one).
    explicit PrinterProfile(Platform& platform, QString printerName = QString(),
                            QString medium = SheetLayout::DiscTrayName);

    const QString& printerName() const { return printerName_; }
    const QString& medium() const { return medium_; }

    // The stored texts as they are ("0" and "100" where nothing is stored).
    OffsetTexts offsetTexts() const;

    // The settings as printing reads them: empty when a stored value is not a usable number
    // (unusableOffsetReason and unusableScaleReason say why).
    std::optional<Offset> offset() const;
    std::optional<Scale> scale() const;
    static QString unusableOffsetReason();
    static QString unusableScaleReason();
    // A percentage as the scale reads it: the offset's number rule, within the allowed range.
    static std::optional<double> parseScalePercent(const QString& text);

    // Stores the texts, left first; an empty text leaves its value as it was. A settings store
    // that refuses them is reported (over `parent`) once; false then.
    bool writeOffset(const OffsetTexts& texts, QWidget* parent) const;

    // The printer chosen last (empty: none yet); it may have gone since.
    static QString lastPrinter(Platform& platform);
    // Remembers the printer a job was sent to, for the jobs of this run and the next.
    static void rememberPrinter(Platform& platform, const QString& printerName);

private:
    enum Field { Left, Top, ScaleX, ScaleY, FieldCount };
    // Where this printer's value for this medium is kept, and where a missing one is read from
    // instead (empty: nowhere, the default applies).
    QString ownKey(Field field) const;
    QString fallbackKey(Field field) const;
    QString read(Field field) const;

    Platform& platform_;
    QString printerName_;
    QString medium_;
};
