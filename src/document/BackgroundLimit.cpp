#include "document/BackgroundLimit.h"

namespace BackgroundLimit {

void reportAndReset(const LabelContext& context) {
    context.platform.showMessage(context.dialogParent,
                                 QStringLiteral("背景を画面外に出さないでください。"),
                                 QStringLiteral("背景の移動制限"), MessageButtons::Ok);
    context.document().BackLeft = 0;
    context.document().BackTop = 0;
}

} // namespace BackgroundLimit
