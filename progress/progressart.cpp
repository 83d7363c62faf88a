#include "progressart.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

namespace {

const QColor kConnectedColor(0x2e, 0x9d, 0x57);
const QColor kDisconnectedColor(0x8a, 0x90, 0x99);
const QColor kDisconnectedMark(0xd6, 0x45, 0x3d);
const QColor kSpinnerColor(0x2d, 0x7f, 0xf9);
const QColor kGlyphColor(0x4a, 0x50, 0x58);

struct LampColours
{
    QColor light;
    QColor body;
    QColor rim;
};

// One link of a chain: a stadium outline in unit coordinates.
void drawChainLink(QPainter &p, double left, double right)
{
    const double height = 0.44;
    p.drawRoundedRect(QRectF(left, 0.5 - height / 2, right - left, height), height / 2, height / 2);
}

// Two chain links, joined when connected; apart and struck through when not.
void paintLink(QPainter &p, bool connected)
{
    p.setBrush(Qt::NoBrush);
    if (connected) {
        p.setPen(QPen(kConnectedColor, 0.12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        drawChainLink(p, 0.02, 0.6);
        drawChainLink(p, 0.4, 0.98);
        return;
    }
    p.setPen(QPen(kDisconnectedColor, 0.12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    drawChainLink(p, 0.02, 0.44);
    drawChainLink(p, 0.56, 0.98);
    p.setPen(QPen(kDisconnectedMark, 0.12, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0.36, 0.08), QPointF(0.64, 0.92));
}

void paintSpinner(QPainter &p, int frame)
{
    const QRectF ring(0.14, 0.14, 0.72, 0.72);
    QColor track = kSpinnerColor;
    track.setAlphaF(0.22);
    p.setPen(QPen(track, 0.15));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(ring);
    // Qt angles run counter-clockwise from three o'clock, in sixteenths of a degree;
    // the arc turns clockwise by a quarter per frame.
    const int start = (90 - frame * 90) * 16;
    p.setPen(QPen(kSpinnerColor, 0.15, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(ring, start, -120 * 16);
}

void paintLamp(QPainter &p, const LampColours &c, bool lit)
{
    const QRectF body(0.1, 0.1, 0.8, 0.8);
    QRadialGradient fill(QPointF(0.4, 0.36), 0.55);
    fill.setColorAt(0.0, c.light);
    fill.setColorAt(1.0, c.body);
    p.setPen(QPen(c.rim, 0.06));
    p.setBrush(fill);
    p.drawEllipse(body);
    if (lit) {
        QColor shine(Qt::white);
        shine.setAlphaF(0.55);
        p.setPen(Qt::NoPen);
        p.setBrush(shine);
        p.drawEllipse(QRectF(0.27, 0.22, 0.26, 0.18));
    }
}

void paintGlyph(QPainter &p, ProgressArt::Picture picture)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kGlyphColor);
    switch (picture) {
    case ProgressArt::Picture::Pause:
        p.drawRoundedRect(QRectF(0.24, 0.18, 0.18, 0.64), 0.05, 0.05);
        p.drawRoundedRect(QRectF(0.58, 0.18, 0.18, 0.64), 0.05, 0.05);
        break;
    case ProgressArt::Picture::Play: {
        QPainterPath path;
        path.moveTo(0.28, 0.17);
        path.lineTo(0.82, 0.5);
        path.lineTo(0.28, 0.83);
        path.closeSubpath();
        p.setPen(QPen(kGlyphColor, 0.06, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(path);
        break;
    }
    case ProgressArt::Picture::Stop:
        p.drawRoundedRect(QRectF(0.22, 0.22, 0.56, 0.56), 0.08, 0.08);
        break;
    default:
        break;
    }
}

} // namespace

void ProgressArt::paint(QPainter &painter, const QRectF &rect, Picture picture)
{
    if (picture == Picture::Empty || rect.isEmpty())
        return;
    const double side = std::min(rect.width(), rect.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.center().x() - side / 2, rect.center().y() - side / 2);
    painter.scale(side, side);
    switch (picture) {
    case Picture::Connected:
    case Picture::Disconnected:
        paintLink(painter, picture == Picture::Connected);
        break;
    case Picture::AnimateFrame0:
    case Picture::AnimateFrame1:
    case Picture::AnimateFrame2:
    case Picture::AnimateFrame3:
        paintSpinner(painter, static_cast<int>(picture) - static_cast<int>(Picture::AnimateFrame0));
        break;
    case Picture::LampReady:
        paintLamp(painter, {QColor(0x8c, 0xf0, 0x9a), QColor(0x1f, 0xa3, 0x45), QColor(0x17, 0x7a, 0x34)}, true);
        break;
    case Picture::LampBusy:
        paintLamp(painter, {QColor(0xff, 0xdd, 0x85), QColor(0xf0, 0x9a, 0x0e), QColor(0xb8, 0x73, 0x05)}, true);
        break;
    case Picture::LampOff:
        paintLamp(painter, {QColor(0xe4, 0xe6, 0xea), QColor(0xa8, 0xae, 0xb6), QColor(0x88, 0x8e, 0x96)}, false);
        break;
    case Picture::Pause:
    case Picture::Play:
    case Picture::Stop:
        paintGlyph(painter, picture);
        break;
    case Picture::Empty:
        break;
    }
    painter.restore();
}

QIcon ProgressArt::icon(Picture picture, QSize size)
{
    QIcon result;
    for (const qreal ratio : {1.0, 1.25, 1.5, 2.0, 3.0}) {
        QPixmap pixmap(size * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(painter, QRectF(QPointF(0, 0), QSizeF(size)), picture);
        painter.end();
        result.addPixmap(pixmap);
    }
    return result;
}
