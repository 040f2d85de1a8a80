// The program's artwork, drawn rather than shipped: the toolbar images
// (55 x 40, a multicolour and a simple style), the red and green key-strength
// lights (16 x 16) and the key bar's key picture.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace ToolbarArt {

enum class Style { MultiColor, Simple };

// Toolbar images in button order: Encrypt, Decrypt, Config, Large, Small,
// List, Details, Help. `hot` is the simple style's image under the mouse.
QIcon Image(int index, Style style);
QPixmap StrengthLight(bool strong);
QPixmap KeyPicture();
// The program's own icon (a blue padlock), at any size.
QIcon AppIcon();

} // namespace ToolbarArt
