#include "frmsplash.h"

#include "brandart.h"
#include "programversion.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The product's own colours, set in the palettes of the window and its labels:
// a skin's palette and rules leave the roles a widget set alone, and a style
// sheet of the window's own would cost the first window a style of its own.
const QColor kSplashBackground(64, 64, 64);
const QColor kSplashText(255, 255, 255);

QLabel *whiteLabel(const QString &name, const QString &text, qreal pointSize, bool bold, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    label->setFont(font);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, kSplashText);
    label->setPalette(colours);
    return label;
}

} // namespace

frmSplash::frmSplash(QWidget *parent, std::chrono::milliseconds delay)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(ProgramVersion::kProductName);
    setFixedSize(kClientSize);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kSplashBackground);
    colours.setColor(QPalette::WindowText, kSplashText);
    setPalette(colours);
    setAutoFillBackground(true);

    const qreal ratio = devicePixelRatioF();
    auto *picGateway = new QLabel(this);
    picGateway->setObjectName(QStringLiteral("picGateway"));
    picGateway->setPixmap(BrandArt::gatewayPicture(QSize(150, 150), ratio));
    auto *picProduct = new QLabel(this);
    picProduct->setObjectName(QStringLiteral("picProduct"));
    picProduct->setPixmap(BrandArt::wordMark(QSize(260, 64), ratio));

    lblPrgVer
        = whiteLabel(QStringLiteral("lblPrgVer"), QStringLiteral("Varlisk management software"), 9.75, true, this);
    lblVersion = whiteLabel(QStringLiteral("lblVersion"), QString(), 9.75, false, this);
    lblLoading = whiteLabel(QStringLiteral("lblLoading"), QStringLiteral("Loading..."), 9.0, false, this);

    lblPrgVer->setText(lblPrgVer->text() + QLatin1Char(' ') + ProgramVersion::kVersion);
    lblVersion->setText(QStringLiteral("version ") + ProgramVersion::fullVersion());

    auto *textColumn = new QVBoxLayout;
    textColumn->setSpacing(6);
    textColumn->addStretch(2);
    textColumn->addWidget(picProduct);
    textColumn->addSpacing(14);
    textColumn->addWidget(lblPrgVer);
    textColumn->addWidget(lblVersion);
    textColumn->addStretch(3);
    textColumn->addWidget(lblLoading, 0, Qt::AlignRight);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(28, 20, 24, 18);
    row->setSpacing(28);
    row->addWidget(picGateway, 0, Qt::AlignVCenter);
    row->addLayout(textColumn, 1);

    tmrSplash = new QTimer(this);
    tmrSplash->setObjectName(QStringLiteral("tmrSplash"));
    tmrSplash->setInterval(delay);
    connect(tmrSplash, &QTimer::timeout, this, &frmSplash::tmrSplash_Timer);
}

void frmSplash::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    centreOnScreen();
    if (!m_loadingStarted)
        tmrSplash->start();
}

void frmSplash::tmrSplash_Timer()
{
    // The main window loads inside this call and may take long; the timer must
    // not tick again meanwhile and start a second one.
    tmrSplash->stop();
    if (m_loadingStarted)
        return;
    m_loadingStarted = true;
    emit loadingStarted();
}

void frmSplash::centreOnScreen()
{
    const QScreen *target = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!target)
        return;
    const QRect available = target->availableGeometry();
    move(available.center() - rect().center());
}
