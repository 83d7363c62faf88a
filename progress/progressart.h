#pragma once

#include "strippicture.h"

#include <QIcon>
#include <QRectF>
#include <QSize>

class QPainter;

// The pictures of the progress strip, drawn as vectors so that they stay sharp
// at any size and device pixel ratio.
class ProgressArt
{
public:
    using Picture = StripPicture;

    static constexpr int kAnimationFrames = StripPictures::kAnimationFrames;

    // Frame `index` of the busy animation; indexes outside 0..3 wrap.
    static Picture animationFrame(int index) { return StripPictures::animationFrame(index); }
    // The picture of a lamp in state `imStatus` (0, 1, 2); other values show it unlit.
    static Picture lampPicture(int imStatus) { return StripPictures::lampPicture(imStatus); }

    static void paint(QPainter &painter, const QRectF &rect, Picture picture);
    // An icon holding renderings for the usual device pixel ratios.
    static QIcon icon(Picture picture, QSize size);
};
