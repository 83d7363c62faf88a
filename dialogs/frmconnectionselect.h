#pragma once

#include <connectionchoice.h>
#include <connectionsettings.h>

#include <QDialog>
#include <QString>

class AutoCombo;
class MessageBoxService;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// The modal dialog in which the operator chooses how to reach the gateway: a
// serial port and rate, a TCP host and port (or server mode), or a modem, with
// the log-on password. It restores the last choices from Setting.xml when it is
// made; it never writes the settings and never opens a connection.
class frmConnectionSelect : public QDialog
{
    Q_OBJECT

public:
    // Positions of the mode list.
    static constexpr int kModeSerial = 0;
    static constexpr int kModeNet = 1;
    static constexpr int kModeModem = 2;
    static constexpr int kDefaultRateIndex = ConnectionSettings::kDefaultRateIndex; // "115200"
    static inline const QString kDefaultPassword = QStringLiteral("5823");

    // settingsFolder holds Setting.xml and Data.xml (the console's settings folder
    // when empty); every message goes through messages.
    explicit frmConnectionSelect(
        QWidget *parent = nullptr, const QString &settingsFolder = QString(), MessageBoxService *messages = nullptr);
    ~frmConnectionSelect() override;

    // Results, valid once the dialog has been hidden by OK ("ERR" in g_Mode when
    // it was cancelled or closed); they keep their values until the dialog goes.
    QString g_Mode;
    qint16 g_receiving_mode = 0;
    qint16 g_com = 0;
    QString g_Rate;
    QString g_Rate_index;
    QString g_port;
    QString g_ip;
    QString g_Phone;
    QString g_OPT_MDM;
    QString g_Pass;
    QString g_Login;
    QString g_Server;
    QString g_UnitID;

    // The results as one value.
    ConnectionChoice choice() const;

    // Commits the host address and the optional modem command to their input
    // histories in Data.xml; the caller does this after an accepted dialog.
    void commitHistories();

    // Shows the dialog modally over parent and gives its results once it is
    // closed, with g_Mode "ERR" when the operator cancelled; an accepted dialog's
    // input histories are committed. This is how the window asks the session's
    // question "how to reach the gateway".
    static ConnectionChoice ask(QWidget *parent, const QString &settingsFolder, MessageBoxService *messages);

    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildLayout();
    void fixSize();
    void loadSettings();
    void cmbConSelect_Click(int index);
    void showSerialPanel(bool modem);
    void chkSERVER_Click();
    void chkMasterLog_Click();
    void cmdOk_Click();
    bool checkHostPort(const QString &host, const QString &port);
    void showInfo(const QString &text);
    void setModemRows(bool visible);
    void moveFocus(QWidget *widget);

    QString m_settingsFolder;
    MessageBoxService *m_messages = nullptr;

    QComboBox *cmbConSelect = nullptr;
    QLineEdit *txtPass = nullptr;

    QFrame *framCOM = nullptr;
    QLabel *lblComText = nullptr;
    QLabel *lblComNum = nullptr;
    QLabel *lblRate = nullptr;
    QComboBox *cmbComNum = nullptr;
    QComboBox *cmbRate = nullptr;
    QComboBox *cmbMComNum = nullptr;
    QComboBox *cmbMRate = nullptr;
    QLabel *lblPhone = nullptr;
    QLineEdit *txtPhone = nullptr;
    QLabel *lblOptionslMdm = nullptr;
    AutoCombo *txtOptionalMdn = nullptr;
    QFormLayout *m_comForm = nullptr;

    QFrame *framNET = nullptr;
    QLabel *lblNetText = nullptr;
    AutoCombo *txtIP = nullptr;
    QLineEdit *txtPort = nullptr;
    QLabel *lblDefaultPort = nullptr;
    QCheckBox *chkSERVER = nullptr;
    QCheckBox *chkMasterLog = nullptr;
    QLineEdit *txtUnitID = nullptr;

    QPushButton *cmdOk = nullptr;
    QPushButton *cmdCancel = nullptr;
};
