#pragma once

#include <QPixmap>
#include <QSize>

// The pictures of the splash and About windows, drawn rather than shipped, so
// that they stay sharp at any screen scale and need no image files.
namespace BrandArt {

// The gateway box with its line ports and GSM antenna, light strokes for a dark
// background.
QPixmap gatewayPicture(QSize size, qreal devicePixelRatio = 1.0);
// The product name as a word mark with a soft accent underline.
QPixmap wordMark(QSize size, qreal devicePixelRatio = 1.0);
// Three signal arcs, the maker's mark.
QPixmap signalMark(QSize size, qreal devicePixelRatio = 1.0);

} // namespace BrandArt
