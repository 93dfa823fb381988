#pragma once

#include <QIcon>

// The program's icon: a disc with a label, drawn from the project's own SVG.
namespace AppIcon {
QIcon icon();
}
