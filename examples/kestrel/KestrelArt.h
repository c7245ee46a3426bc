#pragma once

#include <QPixmap>
#include <QString>

namespace Kestrel {

// The product's pictures, which need Qt alone: the demo and the start-up benchmark's bare
// twin show the very same ones.

// The icon, read as the PNG it is. Qt's usual loading asks every image format plugin
// whether it reads PNG, and so loads them all (the SVG one with its module) at start-up.
QPixmap LoadProductIcon();

// The splash card with the icon, the product's name and its version, in the interface
// language.
QPixmap PaintSplashCard(const QString& version, const QPixmap& icon);

}  // namespace Kestrel
