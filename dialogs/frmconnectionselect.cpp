#include "frmconnectionselect.h"

#include "messageboxservice.h"

#include <autocombo.h>
#include <connectionsettings.h>
#include <protocol.h>
#include <settingslocation.h>

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>
#include <optional>

namespace {

const QStringList kRates {
    QStringLiteral("19200"), QStringLiteral("38400"), QStringLiteral("57600"), QStringLiteral("115200")};
constexpr int kComPorts = 20;
constexpr int kModemPorts = 12;
constexpr int kPasswordLength = 8;

// The number at the start of a stored text, as the console reads numbers: leading
// blanks skipped, digits followed by anything else give the digits, no number
// gives 0.
double leadingNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*([+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?)"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return 0;
    const double value = match.captured(1).toDouble();
    return std::isfinite(value) ? value : 0;
}

// Whether the whole text, blanks around it aside, is a number.
bool isNumericText(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
    return number.match(text).hasMatch();
}

// Selects entry index of the list; an index outside the list leaves it as it was.
void selectStored(QComboBox *list, std::optional<int> index)
{
    if (index && *index >= -1 && *index < list->count())
        list->setCurrentIndex(*index);
}

QComboBox *portList(const QString &name, int ports, QWidget *parent)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(name);
    for (int number = 1; number <= ports; ++number)
        list->addItem(QStringLiteral("COM %1").arg(number));
    return list;
}

QComboBox *rateList(const QString &name, QWidget *parent)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(name);
    for (const QString &rate : kRates)
        list->addItem(rate, rate.toInt());
    return list;
}

QLabel *panelText(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

frmConnectionSelect::frmConnectionSelect(QWidget *parent, const QString &settingsFolder, MessageBoxService *messages)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_settingsFolder(settingsFolder.isEmpty() ? SettingsLocation::defaultFolder() : settingsFolder)
    , m_messages(messages ? messages : &WidgetMessageBoxService::instance())
{
    setObjectName(QStringLiteral("frmConnectionSelect"));
    setWindowTitle(QStringLiteral("Select Connection"));
    setModal(true);

    buildControls();
    buildLayout();
    fixSize();
    loadSettings();
    // The mode list, first in tab order, takes the focus when the dialog is shown.
    cmbConSelect->setFocus(Qt::OtherFocusReason);
}

frmConnectionSelect::~frmConnectionSelect() = default;

void frmConnectionSelect::buildControls()
{
    cmbConSelect = new QComboBox(this);
    cmbConSelect->setObjectName(QStringLiteral("cmbConSelect"));
    cmbConSelect->addItems(
        {QStringLiteral("Com port"), QStringLiteral("TCP/IP (net)"), QStringLiteral("Modem (dial-up)")});

    txtPass = new QLineEdit(kDefaultPassword, this);
    txtPass->setObjectName(QStringLiteral("txtPass"));
    txtPass->setEchoMode(QLineEdit::Password);
    txtPass->setMaxLength(kPasswordLength);
    txtPass->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    txtPass->installEventFilter(this);

    framCOM = new QFrame(this);
    framCOM->setObjectName(QStringLiteral("framCOM"));
    lblComText
        = panelText(QStringLiteral("Please select the number of com and the bits rate that you want to connect , "
                                   "and press ok to continue :"),
            framCOM);
    cmbComNum = portList(QStringLiteral("cmbComNum"), kComPorts, framCOM);
    cmbMComNum = portList(QStringLiteral("cmbMComNum"), kModemPorts, framCOM);
    cmbRate = rateList(QStringLiteral("cmbRate"), framCOM);
    cmbMRate = rateList(QStringLiteral("cmbMRate"), framCOM);
    lblComNum = new QLabel(QStringLiteral("Com port :"), framCOM);
    lblRate = new QLabel(QStringLiteral("Bits rate :"), framCOM);
    lblPhone = new QLabel(QStringLiteral("Phone number :"), framCOM);
    lblPhone->setObjectName(QStringLiteral("lblPhone"));
    txtPhone = new QLineEdit(framCOM);
    txtPhone->setObjectName(QStringLiteral("txtPhone"));
    lblOptionslMdm = new QLabel(QStringLiteral("Optional Mdm Cmd"), framCOM);
    lblOptionslMdm->setObjectName(QStringLiteral("lblOptionslMdm"));
    txtOptionalMdn = new AutoCombo(framCOM);
    txtOptionalMdn->setObjectName(QStringLiteral("txtOptionalMdn"));
    txtOptionalMdn->setHistoryFolder(m_settingsFolder);

    framNET = new QFrame(this);
    framNET->setObjectName(QStringLiteral("framNET"));
    lblNetText = panelText(QStringLiteral("Please enter detail for the host that you want to connect :"), framNET);
    txtIP = new AutoCombo(framNET);
    txtIP->setObjectName(QStringLiteral("txtIP"));
    txtIP->setHistoryFolder(m_settingsFolder);
    txtPort = new QLineEdit(Protocol::kDefaultPortText, framNET);
    txtPort->setObjectName(QStringLiteral("txtPort"));
    lblDefaultPort = new QLabel(QStringLiteral("(default port: %1)").arg(Protocol::kDefaultPortText), framNET);
    lblDefaultPort->setObjectName(QStringLiteral("lblDefaultPort"));
    chkSERVER = new QCheckBox(QStringLiteral("Work as SERVER "), framNET);
    chkSERVER->setObjectName(QStringLiteral("chkSERVER"));
    chkMasterLog = new QCheckBox(QStringLiteral("Login to Master PC"), framNET);
    chkMasterLog->setObjectName(QStringLiteral("chkMasterLog"));
    txtUnitID = new QLineEdit(QStringLiteral("1"), framNET);
    txtUnitID->setObjectName(QStringLiteral("txtUnitID"));

    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    connect(cmbConSelect, &QComboBox::currentIndexChanged, this, &frmConnectionSelect::cmbConSelect_Click);
    connect(chkSERVER, &QCheckBox::toggled, this, &frmConnectionSelect::chkSERVER_Click);
    connect(chkMasterLog, &QCheckBox::toggled, this, &frmConnectionSelect::chkMasterLog_Click);
    connect(txtIP, &AutoCombo::EntryPicked, this, [this] { cmdOk->setFocus(Qt::OtherFocusReason); });
    connect(cmdOk, &QPushButton::clicked, this, &frmConnectionSelect::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmConnectionSelect::reject);
}

void frmConnectionSelect::buildLayout()
{
    // Serial panel: the modem lists sit in the same rows as the serial ones and
    // only one of each pair is shown.
    auto *portRow = new QHBoxLayout;
    portRow->setContentsMargins(0, 0, 0, 0);
    portRow->addWidget(cmbComNum);
    portRow->addWidget(cmbMComNum);
    auto *rateRow = new QHBoxLayout;
    rateRow->setContentsMargins(0, 0, 0, 0);
    rateRow->addWidget(cmbRate);
    rateRow->addWidget(cmbMRate);
    lblComNum->setBuddy(cmbComNum);
    lblRate->setBuddy(cmbRate);

    m_comForm = new QFormLayout;
    m_comForm->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    m_comForm->addRow(lblComNum, portRow);
    m_comForm->addRow(lblRate, rateRow);
    m_comForm->addRow(lblPhone, txtPhone);
    m_comForm->addRow(lblOptionslMdm, txtOptionalMdn);
    auto *comLayout = new QVBoxLayout(framCOM);
    comLayout->addWidget(lblComText);
    comLayout->addLayout(m_comForm);
    comLayout->addStretch(1);

    // TCP panel.
    auto *portField = new QHBoxLayout;
    portField->setContentsMargins(0, 0, 0, 0);
    portField->addWidget(txtPort, 1);
    portField->addWidget(lblDefaultPort);
    auto *lblPort = new QLabel(QStringLiteral("Port number :"), framNET);
    lblPort->setBuddy(txtPort);
    auto *netForm = new QFormLayout;
    netForm->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    netForm->addRow(new QLabel(QStringLiteral("Host address :"), framNET), txtIP);
    netForm->addRow(lblPort, portField);
    netForm->addRow(QString(), chkSERVER);
    netForm->addRow(QString(), chkMasterLog);
    netForm->addRow(new QLabel(QStringLiteral("Unit ID"), framNET), txtUnitID);
    auto *netLayout = new QVBoxLayout(framNET);
    netLayout->addWidget(lblNetText);
    netLayout->addLayout(netForm);
    netLayout->addStretch(1);

    for (QFrame *panel : {framCOM, framNET}) {
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
    }

    // Both panels share one rectangle.
    auto *panels = new QGridLayout;
    panels->setContentsMargins(0, 0, 0, 0);
    panels->addWidget(framCOM, 0, 0);
    panels->addWidget(framNET, 0, 0);

    auto *modeForm = new QFormLayout;
    modeForm->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    modeForm->addRow(new QLabel(QStringLiteral("Connection mode"), this), cmbConSelect);
    modeForm->addRow(new QLabel(QStringLiteral("Password"), this), txtPass);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(panels);
    layout->addSpacing(layout->spacing());
    layout->addLayout(modeForm);
    layout->addLayout(buttons);

    setTabOrder(cmbConSelect, txtPass);
    setTabOrder(txtPass, cmbComNum);
    setTabOrder(cmbComNum, cmbMComNum);
    setTabOrder(cmbMComNum, cmbRate);
    setTabOrder(cmbRate, cmbMRate);
    setTabOrder(cmbMRate, txtPhone);
    setTabOrder(txtPhone, txtOptionalMdn);
    setTabOrder(txtOptionalMdn, txtIP);
    setTabOrder(txtIP, txtPort);
    setTabOrder(txtPort, chkSERVER);
    setTabOrder(chkSERVER, chkMasterLog);
    setTabOrder(chkMasterLog, txtUnitID);
    setTabOrder(txtUnitID, cmdOk);
    setTabOrder(cmdOk, cmdCancel);
}

void frmConnectionSelect::fixSize()
{
    // The size that holds the tallest panel (the serial panel with the modem rows),
    // so the window keeps one size whatever the mode.
    setModemRows(true);
    cmbMComNum->hide();
    cmbMRate->hide();
    constexpr int kMinimumWidth = 420;
    const int width = std::max(kMinimumWidth, sizeHint().width());
    const int panelHeight = std::max(framCOM->sizeHint().height(), framNET->sizeHint().height());
    framCOM->setMinimumHeight(panelHeight);
    framNET->setMinimumHeight(panelHeight);
    setModemRows(false);
    framNET->hide();
    layout()->activate();
    // The panel texts wrap, so the height follows the width.
    const int height = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width) : 0;
    setFixedSize(width, std::max(height, sizeHint().height()));
}

void frmConnectionSelect::loadSettings()
{
    const ConnectionSettings::Stored stored
        = ConnectionSettings(SettingsLocation::settingFile(m_settingsFolder)).load();

    cmbMComNum->hide();
    cmbMRate->hide();

    cmbComNum->setCurrentIndex(0);
    cmbMComNum->setCurrentIndex(0);
    cmbRate->setCurrentIndex(kDefaultRateIndex);
    cmbMRate->setCurrentIndex(kDefaultRateIndex);

    selectStored(cmbComNum, stored.serialPort);
    selectStored(cmbRate, stored.serialRate);
    selectStored(cmbMComNum, stored.modemPort);
    selectStored(cmbMRate, stored.modemRate);

    // Each box takes its stored state and applies its rule, "server" first: a
    // stored "login" of 0 then unchecks the box that server mode had checked.
    chkSERVER->setChecked(stored.server);
    chkSERVER_Click();
    chkMasterLog->setChecked(stored.login);
    chkMasterLog_Click();
    txtUnitID->setText(stored.unitID);
    if (!chkSERVER->isChecked() && !chkMasterLog->isChecked())
        txtUnitID->setEnabled(false);

    const int modeIndex = stored.lastConnection == ConnectionSettings::Mode::Serial
        ? kModeSerial
        : (stored.lastConnection == ConnectionSettings::Mode::Net ? kModeNet : kModeModem);
    {
        const QSignalBlocker blocker(cmbConSelect);
        cmbConSelect->setCurrentIndex(modeIndex);
    }
    cmbConSelect_Click(modeIndex);

    txtPhone->setText(stored.phone);
    txtPort->setText(stored.netPort);

    txtIP->INIT(QStringLiteral("IPSave"));
    txtOptionalMdn->INIT(QStringLiteral("OMDM"));
}

void frmConnectionSelect::setModemRows(bool visible)
{
    m_comForm->setRowVisible(txtPhone, visible);
    m_comForm->setRowVisible(txtOptionalMdn, visible);
}

void frmConnectionSelect::moveFocus(QWidget *widget)
{
    if (isVisible())
        widget->setFocus(Qt::OtherFocusReason);
}

void frmConnectionSelect::cmbConSelect_Click(int index)
{
    switch (index) {
    case kModeSerial:
        g_Mode = Protocol::kModeSerial;
        showSerialPanel(false);
        break;
    case kModeNet:
        g_Mode = Protocol::kModeNet;
        framCOM->hide();
        framNET->show();
        moveFocus(txtIP);
        break;
    case kModeModem:
        g_Mode = Protocol::kModeModem;
        showSerialPanel(true);
        break;
    default:
        break;
    }
}

void frmConnectionSelect::showSerialPanel(bool modem)
{
    // The serial and the modem mode share the panel, each with its own port and rate lists.
    QComboBox *const port = modem ? cmbMComNum : cmbComNum;
    QComboBox *const rate = modem ? cmbMRate : cmbRate;
    (modem ? cmbComNum : cmbMComNum)->hide();
    (modem ? cmbRate : cmbMRate)->hide();
    port->show();
    rate->show();
    if (port->currentIndex() < 0)
        port->setCurrentIndex(0);
    if (rate->currentIndex() < 0)
        rate->setCurrentIndex(kDefaultRateIndex);
    lblComNum->setBuddy(port);
    lblRate->setBuddy(rate);
    setModemRows(modem);
    framNET->hide();
    framCOM->show();
    moveFocus(port);
}

void frmConnectionSelect::chkSERVER_Click()
{
    if (chkSERVER->isChecked()) {
        txtIP->setUcEnable(false);
        chkMasterLog->setChecked(true);
        chkMasterLog->setEnabled(false);
        txtUnitID->setEnabled(true);
    } else {
        txtIP->setUcEnable(true);
        chkMasterLog->setEnabled(true);
        if (!chkMasterLog->isChecked())
            txtUnitID->setEnabled(false);
    }
}

void frmConnectionSelect::chkMasterLog_Click()
{
    txtUnitID->setEnabled(chkSERVER->isChecked() || chkMasterLog->isChecked());
}

void frmConnectionSelect::cmdOk_Click()
{
    if (g_Mode == Protocol::kModeCancelled || g_Mode.isEmpty())
        g_Mode = Protocol::kModeSerial;
    g_receiving_mode = 0;

    if (g_Mode == Protocol::kModeSerial) {
        g_com = static_cast<qint16>(cmbComNum->currentIndex() + 1);
        g_Rate = cmbRate->currentText();
        g_Rate_index = QString::number(cmbRate->currentIndex());
    } else if (g_Mode == Protocol::kModeModem) {
        g_com = static_cast<qint16>(cmbMComNum->currentIndex() + 1);
        g_Rate = cmbMRate->currentText();
        g_Phone = txtPhone->text().trimmed();
        g_OPT_MDM = txtOptionalMdn->text();
        g_Rate_index = QString::number(cmbMRate->currentIndex());
    } else if (g_Mode == Protocol::kModeNet) {
        if (!checkHostPort(txtIP->text(), txtPort->text()))
            return;
        g_port = txtPort->text().trimmed();
        g_ip = txtIP->text().trimmed();
    }

    g_Pass = txtPass->text().trimmed();
    g_Login = chkMasterLog->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    g_Server = chkSERVER->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    g_UnitID = txtUnitID->text();
    accept();
}

bool frmConnectionSelect::checkHostPort(const QString &host, const QString &port)
{
    bool acceptable = true;
    if (host.trimmed().isEmpty()) {
        showInfo(QStringLiteral("Wrong host address, please enter a valid host address!!"));
        acceptable = false;
    }
    if (!isNumericText(port) || leadingNumber(port) == 0) {
        showInfo(QStringLiteral("Wrong port number, please enter a valid port number!!"));
        acceptable = false;
    }
    return acceptable;
}

void frmConnectionSelect::showInfo(const QString &text)
{
    MessageRequest request;
    request.text = text;
    request.title = QStringLiteral("info");
    request.icon = QMessageBox::Information;
    request.buttons = QMessageBox::Ok;
    m_messages->show(this, request);
}

void frmConnectionSelect::reject()
{
    g_Mode = Protocol::kModeCancelled;
    QDialog::reject();
}

bool frmConnectionSelect::eventFilter(QObject *watched, QEvent *event)
{
    // Every click in the password box clears it: the password is always typed in full.
    if (watched == txtPass && event->type() == QEvent::MouseButtonPress)
        txtPass->clear();
    return QDialog::eventFilter(watched, event);
}

ConnectionChoice frmConnectionSelect::ask(QWidget *parent, const QString &settingsFolder, MessageBoxService *messages)
{
    // On the heap: the parent may go while the dialog waits, taking its child along.
    const QPointer<frmConnectionSelect> dialog = new frmConnectionSelect(parent, settingsFolder, messages);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    ConnectionChoice choice;
    choice.g_Mode = Protocol::kModeCancelled;
    if (!dialog)
        return choice;
    choice = dialog->choice();
    if (accepted)
        dialog->commitHistories();
    else
        choice.g_Mode = Protocol::kModeCancelled;
    delete dialog;
    return choice;
}

ConnectionChoice frmConnectionSelect::choice() const
{
    return ConnectionChoice {g_Mode, g_receiving_mode, g_com, g_Rate, g_Rate_index, g_port, g_ip, g_Phone, g_OPT_MDM,
        g_Pass, g_Login, g_Server, g_UnitID};
}

void frmConnectionSelect::commitHistories()
{
    txtIP->WriteToReg();
    txtOptionalMdn->WriteToReg();
}
