#pragma once

#include "platform/Platform.h"

class LabelWindow;

// "ラベルを画像で保存": the label square alone as it prints (the picture on the ring only, the
// hole and the corners left clear, no guide circles), as a 300 or 600 dpi PNG or a
// 122 × 122 mm PDF: what disc duplication services ask for.
class LabelExportCommand {
public:
    explicit LabelExportCommand(LabelWindow& window);

    void mnuFileSaveImage_Click();

    // The dialog's filter pairs, in this order.
    enum Kind { Png300, Png600, Pdf };

private:
    LabelWindow& window_;
    FileDialogState cdlImage_;
};
