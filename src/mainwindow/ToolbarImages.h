#pragma once

#include <QIcon>

// imlMenu: the 16 × 15 tool-bar images, drawn by the program itself. Light grey
// (192, 192, 192) is the mask colour and comes out transparent.
namespace ToolbarImages {

inline constexpr int Width = 16;
inline constexpr int Height = 15;
inline constexpr int Count = 9;

// Image 1..9: new, open, save, print, insert text, edit text, delete text, fit the background,
// insert a track list.
QIcon image(int number);

} // namespace ToolbarImages
