#pragma once

class QWidget;

// The keyboard shortcuts of the File menu's commands, the ones every desktop program has taught
// its users. Qt shows them beside the captions. Insert, Delete and Enter are routed by the
// window's key preview instead, as they also reach the focused control.
namespace MenuShortcuts {

// Gives the window's menu actions (found by object name and "Index") their shortcuts.
void apply(QWidget& window);

} // namespace MenuShortcuts
