#include "editing/MouseEditing.h"

#include "document/LabelWindow.h"
#include "view/widgets/LabelView.h"

#include <QMenu>

void MouseEditing::picDoc_MouseDown(int button, int shift, float x, float y) {
    (void)button, (void)shift, (void)x, (void)y;
}
void MouseEditing::picDoc_MouseMove(int button, int shift, float x, float y) {
    (void)button, (void)shift, (void)x, (void)y;
}
void MouseEditing::picDoc_MouseUp(int button, int shift, float x, float y) {
    (void)button, (void)shift, (void)x, (void)y;
}
