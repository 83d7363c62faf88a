#include "frmabout.h"

#include "brandart.h"
#include "programversion.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// Set on the window itself, so that the application's skin keeps off the
// product's own colours.
constexpr char kAboutStyle[] = "frmAbout { background-color: rgb(64, 64, 64); }"
                               "QLabel { background: transparent; }"
                               "QPlainTextEdit#txtAbout { color: rgb(0, 0, 128); background-color: rgb(255, 255, 255);"
                               " border: 1px solid rgb(40, 40, 40); padding: 4px; }";

const QString kCRLF = QStringLiteral("\r\n");

QLabel *pictureLabel(const QString &name, const QPixmap &pixmap, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(pixmap);
    return label;
}

} // namespace

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setModal(true);
    setFixedSize(kClientSize);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QString::fromLatin1(kAboutStyle));

    const qreal ratio = devicePixelRatioF();
    auto *pictures = new QHBoxLayout;
    pictures->setSpacing(18);
    pictures->addWidget(
        pictureLabel(QStringLiteral("picGateway"), BrandArt::gatewayPicture(QSize(96, 96), ratio), this));
    pictures->addWidget(pictureLabel(QStringLiteral("picProduct"), BrandArt::wordMark(QSize(220, 56), ratio), this), 1,
        Qt::AlignVCenter);
    pictures->addWidget(pictureLabel(QStringLiteral("picMaker"), BrandArt::signalMark(QSize(48, 48), ratio), this), 0,
        Qt::AlignVCenter);

    txtAbout = new QPlainTextEdit(this);
    txtAbout->setObjectName(QStringLiteral("txtAbout"));
    txtAbout->setReadOnly(true);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(12);
    txtAbout->setFont(font);

    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setDefault(true);
    // Escape closes the window through QDialog's own key handling, as "&Close" does.
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(20, 16, 20, 16);
    column->setSpacing(12);
    column->addLayout(pictures);
    column->addWidget(txtAbout, 1);
    column->addLayout(buttons);
}

QString frmAbout::composeText()
{
    return kCRLF + kCRLF + QStringLiteral("Version: ") + ProgramVersion::fullVersion() + kCRLF
        + QStringLiteral("Hardware Version: V3.x  ") + kCRLF;
}

void frmAbout::setText(const QString &text)
{
    m_text = text;
    // The editor keeps one paragraph per line; CR LF would show a CR box.
    QString shown = text;
    shown.replace(kCRLF, QStringLiteral("\n"));
    txtAbout->setPlainText(shown);
}

void frmAbout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    const QScreen *target = screen() ? screen() : QGuiApplication::primaryScreen();
    if (target)
        move(target->availableGeometry().center() - rect().center());
}
