#pragma once

#include "document/LabelSurface.h"
#include "document/OpenLabel.h"
#include "platform/Platform.h"

class QWidget;

// Everything a command handler works with: the open label, the surface that shows it and the
// desktop (with the window its dialogs belong to).
struct LabelContext {
    Platform& platform;
    QWidget* dialogParent;
    OpenLabel& label;
    LabelSurface& surface;

    LabelDocument& document() const { return label.document; }
};
