#pragma once

// The result of the text settings dialog: true when it was left without OK. Written only by the
// dialog, read by the insert and edit commands right after it returns.
namespace Variable {
inline bool DialogCancel = false;
}
