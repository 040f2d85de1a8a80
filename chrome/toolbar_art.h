// The program's artwork, drawn rather than shipped: the toolbar images
// (55 x 40, a multicolour and a simple style), the red and green key-strength
// lights (16 x 16) and the key bar's key picture (22 x 22). Every one is an
// icon drawn afresh for the size and pixel ratio asked for.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace ToolbarArt {

enum class Style { MultiColor, Simple };

// Toolbar images in button order: Encrypt, Decrypt, Config, Large, Small,
// List, Details, Help. `hot` is the simple style's image under the mouse.
QIcon Image(int index, Style style);
QIcon StrengthLight(bool strong);
QIcon KeyPicture();
// The program's own icon (a blue padlock), at any size.
QIcon AppIcon();

} // namespace ToolbarArt
