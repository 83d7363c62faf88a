#include "uctoolbar.h"

#include <QAction>
#include <QActionGroup>
#include <QColor>
#include <QPainter>
#include <QPixmap>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

struct ButtonSpec
{
    const char *key;
    const char *caption;
    const char *toolTip;
    const char *picture;
    bool page;
};

// Left to right; a separator follows "connect" and precedes "exit".
constexpr ButtonSpec kButtons[] = {
    {"connect", "Connect", "connect to gateway", "connect2", false},
    {"main", "FXO", "FXO", "fxo", true},
    {"isdn", "FXS", "FXS", "fxs", true},
    {"system", "GSM", "system setting", "gsm2", true},
    {"call", "Prefixes", "incoming & outgoing calls report", "prf", true},
    {"groups", "Number list", "Organize custom group", "prf2", true},
    {"hst", "SMS", "Test the ports by handset", "sms", true},
    {"tsl", "Gateway", "change the b-channel setting", "gtw", true},
    {"dbg", "Debug", "Debug /Log", "dbg", true},
    {"exit", "Exit", "Exit the program", "exit", false},
};

constexpr QSize kIconSize {32, 32};
constexpr int kButtonMinimumWidth = 64; // pixels; keeps the buttons of short captions even
// The mark of a button whose page holds unwritten values: a dot in the picture's
// upper right corner, in a colour every skin leaves readable.
constexpr int kMarkDiameter = 12;
constexpr QColor kMarkColour {230, 110, 0};

QIcon markedPicture(const QIcon &picture)
{
    QPixmap pixmap = picture.pixmap(kIconSize);
    if (pixmap.isNull()) {
        pixmap = QPixmap(kIconSize);
        pixmap.fill(Qt::transparent);
    }
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(kMarkColour);
    painter.drawEllipse(QRect(kIconSize.width() - kMarkDiameter - 1, 1, kMarkDiameter, kMarkDiameter));
    return QIcon(pixmap);
}

} // namespace

// The pictures are compiled into this static library; a program that references
// nothing else of the resource's object file would otherwise lose them at link time.
static void initIconResources()
{
    Q_INIT_RESOURCE(icons);
}

ucToolBar::ucToolBar(QWidget *parent)
    : QWidget(parent)
{
    initIconResources();
    for (const QString &key : pictureKeys())
        imgNEW.insert(key, QIcon(QStringLiteral(":/widgets/icons/%1.svg").arg(key)));

    tlbMenu = new QToolBar(this);
    tlbMenu->setObjectName(QStringLiteral("tlbMenu"));
    tlbMenu->setMovable(false);
    tlbMenu->setFloatable(false);
    tlbMenu->setIconSize(kIconSize);
    tlbMenu->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);

    m_pageGroup = new QActionGroup(this);
    m_pageGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);

    for (const ButtonSpec &spec : kButtons) {
        const QString key = QString::fromLatin1(spec.key);
        if (key == QLatin1String("exit"))
            tlbMenu->addSeparator();
        QAction *action = addButton(key, QString::fromLatin1(spec.caption), QString::fromLatin1(spec.toolTip),
            QString::fromLatin1(spec.picture));
        if (spec.page) {
            action->setCheckable(true);
            m_pageGroup->addAction(action);
        }
        if (key == QLatin1String("connect"))
            tlbMenu->addSeparator();
    }
    m_buttons.value(QStringLiteral("main"))->setChecked(true);
    // Followed from here on: the pressed button the window opens with is no click.
    for (QAction *action : m_pageGroup->actions())
        followCheckedButton(action);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tlbMenu);
}

QAction *ucToolBar::addButton(
    const QString &key, const QString &caption, const QString &toolTip, const QString &pictureKey)
{
    auto *action = new QAction(imgNEW.value(pictureKey), caption, this);
    action->setObjectName(key);
    action->setToolTip(toolTip);
    m_pictureKeys.insert(key, pictureKey);
    m_toolTips.insert(key, toolTip);
    tlbMenu->addAction(action);
    if (QWidget *widget = tlbMenu->widgetForAction(action)) {
        widget->setObjectName(QStringLiteral("btn_") + key);
        widget->setMinimumWidth(kButtonMinimumWidth);
    }
    connect(action, &QAction::triggered, this, [this, key] { emit BtnClick(key); });
    m_buttons.insert(key, action);
    m_keys.append(key);
    return action;
}

void ucToolBar::followCheckedButton(QAction *action)
{
    // A click, a key or a press goes through the action's trigger, which checks
    // the action and raises BtnClick. A toggle of the button alone (the toggle
    // an assistive tool offers for a checkable button) checks or releases the
    // action without a trigger, so that the pressed button and the host's page
    // would disagree. A change of the check that no trigger follows is therefore
    // completed as a click on that button, once the change has settled.
    connect(action, &QAction::toggled, this, [this, action] {
        m_untriggered = action;
        QMetaObject::invokeMethod(this, [this, action] { settlePageButton(action); }, Qt::QueuedConnection);
    });
    connect(action, &QAction::triggered, this, [this, action] {
        if (m_untriggered == action)
            m_untriggered = nullptr;
    });
}

void ucToolBar::settlePageButton(QAction *action)
{
    if (m_untriggered != action)
        return;
    m_untriggered = nullptr;
    // Checked, or the pressed page button released so that none shows pressed:
    // either way a click on it, which also presses it again in the second case.
    if (action->isChecked() || !m_pageGroup->checkedAction())
        action->trigger();
}

bool ucToolBar::setButtonCaption(const QString &key, const QString &sCaption)
{
    QAction *action = m_buttons.value(key);
    if (!action)
        return false;
    action->setText(sCaption);
    return true;
}

bool ucToolBar::setButtonEnable(const QString &key, bool fEnable)
{
    QAction *action = m_buttons.value(key);
    if (!action)
        return false;
    action->setEnabled(fEnable);
    return true;
}

QAction *ucToolBar::button(const QString &key) const
{
    return m_buttons.value(key);
}

QStringList ucToolBar::buttonKeys() const
{
    return m_keys;
}

QString ucToolBar::pressedKey() const
{
    const QAction *checked = m_pageGroup->checkedAction();
    return checked ? checked->objectName() : QString();
}

QIcon ucToolBar::picture(const QString &key) const
{
    return imgNEW.value(key);
}

QStringList ucToolBar::pictureKeys()
{
    return {QStringLiteral("gsm"), QStringLiteral("exit"), QStringLiteral("dbg2"), QStringLiteral("gsm2"),
        QStringLiteral("connect2"), QStringLiteral("prf2"), QStringLiteral("dbg"), QStringLiteral("connect"),
        QStringLiteral("prf"), QStringLiteral("gtw"), QStringLiteral("fxo"), QStringLiteral("fxs"),
        QStringLiteral("sms")};
}

bool ucToolBar::setButtonMarked(const QString &key, bool marked)
{
    QAction *action = m_buttons.value(key);
    if (!action)
        return false;
    if (m_marked.value(key) == marked)
        return true;
    m_marked.insert(key, marked);
    const QIcon picture = imgNEW.value(m_pictureKeys.value(key));
    action->setIcon(marked ? markedPicture(picture) : picture);
    const QString toolTip = m_toolTips.value(key);
    action->setToolTip(marked ? toolTip + QLatin1Char('\n') + kMarkedText : toolTip);
    if (QWidget *widget = tlbMenu->widgetForAction(action))
        widget->setAccessibleDescription(marked ? kMarkedText : QString());
    return true;
}

bool ucToolBar::isButtonMarked(const QString &key) const
{
    return m_marked.value(key);
}
