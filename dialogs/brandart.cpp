#include "brandart.h"

#include "programversion.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kStroke {230, 234, 240};
const QColor kAccent {86, 170, 255};
const QColor kAccentWarm {255, 196, 77};

QPixmap blankPixmap(QSize size, qreal devicePixelRatio)
{
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QPixmap BrandArt::gatewayPicture(QSize size, qreal devicePixelRatio)
{
    QPixmap pixmap = blankPixmap(size, devicePixelRatio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // Everything is drawn on a 100 x 100 grid and scaled to the picture.
    const qreal scale = qMin(size.width(), size.height()) / 100.0;
    painter.translate((size.width() - 100 * scale) / 2, (size.height() - 100 * scale) / 2);
    painter.scale(scale, scale);

    // Antenna with its radio waves.
    painter.setPen(QPen(kStroke, 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(74, 44), QPointF(74, 16));
    painter.setPen(QPen(kAccent, 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(64, 6, 20, 20), 30 * 16, 120 * 16);
    painter.drawArc(QRectF(58, 0, 32, 32), 35 * 16, 110 * 16);

    // The box.
    QLinearGradient body(0, 44, 0, 84);
    body.setColorAt(0, QColor(110, 118, 130));
    body.setColorAt(1, QColor(70, 76, 86));
    painter.setPen(QPen(kStroke, 2.5));
    painter.setBrush(body);
    painter.drawRoundedRect(QRectF(8, 44, 84, 40), 6, 6);

    // Line ports and status lamps.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 44, 50));
    for (int port = 0; port < 4; ++port)
        painter.drawRoundedRect(QRectF(16 + port * 14, 62, 10, 12), 2, 2);
    painter.setBrush(QColor(120, 220, 120));
    painter.drawEllipse(QPointF(76, 56), 3, 3);
    painter.setBrush(kAccentWarm);
    painter.drawEllipse(QPointF(84, 56), 3, 3);

    // The cords leaving the ports.
    painter.setPen(QPen(kAccent, 2, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    for (int port = 0; port < 4; ++port) {
        QPainterPath cord;
        const qreal x = 21 + port * 14;
        cord.moveTo(x, 84);
        cord.cubicTo(x, 92, x - 6, 94, x - 8, 99);
        painter.drawPath(cord);
    }
    return pixmap;
}

QPixmap BrandArt::wordMark(QSize size, qreal devicePixelRatio)
{
    QPixmap pixmap = blankPixmap(size, devicePixelRatio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPixelSize(qMax(8, size.height() * 62 / 100));
    font.setLetterSpacing(QFont::PercentageSpacing, 104);
    painter.setFont(font);
    painter.setPen(kStroke);
    const QRect textRect(0, 0, size.width(), size.height() * 82 / 100);
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, ProgramVersion::kProductName);

    const int advance = painter.fontMetrics().horizontalAdvance(ProgramVersion::kProductName);
    QLinearGradient line(0, 0, advance, 0);
    line.setColorAt(0, kAccent);
    line.setColorAt(1, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(line);
    painter.drawRoundedRect(QRectF(0, size.height() * 0.86, advance, qMax(2.0, size.height() * 0.08)), 2, 2);
    return pixmap;
}

QPixmap BrandArt::signalMark(QSize size, qreal devicePixelRatio)
{
    QPixmap pixmap = blankPixmap(size, devicePixelRatio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(size.width(), size.height());
    painter.translate((size.width() - side) / 2, (size.height() - side) / 2);

    const QPointF centre(side / 2, side * 0.78);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kAccentWarm);
    painter.drawEllipse(centre, side * 0.07, side * 0.07);
    painter.setBrush(Qt::NoBrush);
    const QColor arcs[] = {kAccentWarm, kAccent, kStroke};
    for (int ring = 1; ring <= 3; ++ring) {
        const qreal radius = side * 0.2 * ring;
        painter.setPen(QPen(arcs[ring - 1], side * 0.07, Qt::SolidLine, Qt::RoundCap));
        painter.drawArc(QRectF(centre.x() - radius, centre.y() - radius, radius * 2, radius * 2), 50 * 16, 80 * 16);
    }
    return pixmap;
}
