#pragma once

#include <QIcon>
#include <QRectF>
#include <QSize>

class QPainter;

// The pictures of the progress strip, drawn as vectors so that they stay sharp
// at any size and device pixel ratio.
class ProgressArt
{
public:
    enum class Picture {
        Empty, // imgEmpty
        Connected, // imgConnected
        Disconnected, // imgAnimate1, index 1
        AnimateFrame0, // imgAnimate, four frames of the busy animation
        AnimateFrame1,
        AnimateFrame2,
        AnimateFrame3,
        LampReady, // lamp state 0: lit green
        LampBusy, // lamp state 1: lit amber
        LampOff, // lamp state 2: unlit
        Pause,
        Play,
        Stop,
    };

    static constexpr int kAnimationFrames = 4;

    // Frame `index` of the busy animation; indexes outside 0..3 wrap.
    static Picture animationFrame(int index);
    // The picture of a lamp in state `imStatus` (0, 1, 2); other values show it unlit.
    static Picture lampPicture(int imStatus);

    static void paint(QPainter &painter, const QRectF &rect, Picture picture);
    // An icon holding renderings for the usual device pixel ratios.
    static QIcon icon(Picture picture, QSize size);
};
