#include <autocombo.h>
#include <frmconnectionselect.h>
#include <scriptedmessageboxes.h>
#include <settingsfile.h>
#include <settingslocation.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using Values = QMap<QString, QString>;

namespace {

// The results of a closed dialog by field name, for comparing with a row's expectations.
Values fieldsOf(const ConnectionChoice &choice)
{
    return {
        {"g_Mode", choice.g_Mode},
        {"g_receiving_mode", QString::number(choice.g_receiving_mode)},
        {"g_com", QString::number(choice.g_com)},
        {"g_Rate", choice.g_Rate},
        {"g_Rate_index", choice.g_Rate_index},
        {"g_port", choice.g_port},
        {"g_ip", choice.g_ip},
        {"g_Phone", choice.g_Phone},
        {"g_OPT_MDM", choice.g_OPT_MDM},
        {"g_Pass", choice.g_Pass},
        {"g_Login", choice.g_Login},
        {"g_Server", choice.g_Server},
        {"g_UnitID", choice.g_UnitID},
    };
}

} // namespace

class tst_ConnectionSelect : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedMessageBoxes m_boxes;

    QString folder() const { return m_dir->path(); }

    void store(const Values &values, const QString &section = QStringLiteral("IPConfig"),
        const QString &file = QStringLiteral("Setting.xml"))
    {
        SettingsFile settings(folder() + QLatin1Char('/') + file);
        QVERIFY2(settings.isOpen(), qPrintable(settings.errorText()));
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            QVERIFY(settings.setValue(section, it.key(), it.value()));
    }

    std::unique_ptr<frmConnectionSelect> openDialog()
    {
        auto dialog = std::make_unique<frmConnectionSelect>(nullptr, folder(), &m_boxes);
        dialog->show();
        return dialog;
    }

    template<typename T> static T *child(const frmConnectionSelect &dialog, const char *name)
    {
        T *found = dialog.findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    // Clicks a check box on its indicator (a click beside its text does not toggle it).
    static void clickBox(QCheckBox *box)
    {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->height() / 2, box->height() / 2));
    }

    static QLineEdit *hostBox(const frmConnectionSelect &dialog)
    {
        return child<AutoCombo>(dialog, "txtIP")->textBox();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_boxes = ScriptedMessageBoxes();
    }

    void cleanup()
    {
        m_dir->setAutoRemove(!QTest::currentTestFailed());
        m_dir.reset();
        QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()
            || std::none_of(QApplication::topLevelWidgets().cbegin(), QApplication::topLevelWidgets().cend(),
                [](const QWidget *w) { return w->isVisible(); }));
    }

    // No settings file at all: the serial defaults, the fixed window and its controls.
    void firstStart()
    {
        auto dialog = openDialog();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Select Connection"));
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        QVERIFY(child<QFrame>(*dialog, "framCOM")->isVisible());
        QVERIFY(!child<QFrame>(*dialog, "framNET")->isVisible());
        auto *mode = child<QComboBox>(*dialog, "cmbConSelect");
        QCOMPARE(mode->currentText(), QStringLiteral("Com port"));
        QCOMPARE(mode->itemText(1), QStringLiteral("TCP/IP (net)"));
        QCOMPARE(mode->itemText(2), QStringLiteral("Modem (dial-up)"));
        QTRY_COMPARE(QApplication::focusWidget(), mode);

        auto *ports = child<QComboBox>(*dialog, "cmbComNum");
        QCOMPARE(ports->count(), 20);
        QCOMPARE(ports->itemText(19), QStringLiteral("COM 20"));
        QCOMPARE(child<QComboBox>(*dialog, "cmbMComNum")->count(), 12);
        auto *rates = child<QComboBox>(*dialog, "cmbRate");
        QCOMPARE(rates->count(), 4);
        QCOMPARE(rates->itemText(0), QStringLiteral("19200"));
        QCOMPARE(rates->itemData(2).toInt(), 57600);
        QCOMPARE(ports->currentText(), QStringLiteral("COM 1"));
        QCOMPARE(rates->currentText(), QStringLiteral("115200"));
        QVERIFY(!child<QLineEdit>(*dialog, "txtPhone")->isVisible());
        QVERIFY(!child<AutoCombo>(*dialog, "txtOptionalMdn")->isVisible());

        QCOMPARE(child<QLineEdit>(*dialog, "txtPort")->text(), QStringLiteral("4001"));
        QVERIFY(!child<QCheckBox>(*dialog, "chkSERVER")->isChecked());
        QVERIFY(!child<QCheckBox>(*dialog, "chkMasterLog")->isChecked());
        auto *unit = child<QLineEdit>(*dialog, "txtUnitID");
        QCOMPARE(unit->text(), QStringLiteral("0"));
        QVERIFY(!unit->isEnabled());
        auto *pass = child<QLineEdit>(*dialog, "txtPass");
        QCOMPARE(pass->text(), QStringLiteral("5823"));
        QCOMPARE(pass->echoMode(), QLineEdit::Password);
        QCOMPARE(pass->maxLength(), 8);
        QVERIFY(child<QPushButton>(*dialog, "cmdOk")->isDefault());

        // Enter takes the default button.
        QTest::keyClick(mode, Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        const Values results = fieldsOf(dialog->choice());
        QCOMPARE(results["g_Mode"], QStringLiteral("COM"));
        QCOMPARE(dialog->g_Mode, QStringLiteral("COM"));
        QCOMPARE(results["g_com"], QStringLiteral("1"));
        QCOMPARE(results["g_Rate"], QStringLiteral("115200"));
        QCOMPARE(results["g_Rate_index"], QStringLiteral("3"));
        QCOMPARE(results["g_Pass"], QStringLiteral("5823"));
        QCOMPARE(results["g_Login"], QStringLiteral("0"));
        QCOMPARE(results["g_Server"], QStringLiteral("0"));
        QCOMPARE(results["g_UnitID"], QStringLiteral("0"));
        QVERIFY(m_boxes.shown.isEmpty());
    }

    // Stored choices shown at load and handed back by OK.
    void storedChoices_data()
    {
        QTest::addColumn<Values>("stored");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<Values>("shown"); // control name -> current text ("checked"/"" for boxes)
        QTest::addColumn<Values>("results");

        QTest::newRow("serial rate index 1")
            << Values {{"LastCon", "0"}, {"CBitRate", "1"}, {"CComNum", "4"}} << "framCOM"
            << Values {{"cmbRate", "38400"}, {"cmbComNum", "COM 5"}}
            << Values {{"g_Mode", "COM"}, {"g_com", "5"}, {"g_Rate", "38400"}, {"g_Rate_index", "1"}};
        QTest::newRow("serial indexes outside the lists keep the defaults")
            << Values {{"LastCon", ""}, {"CBitRate", "9"}, {"CComNum", "20"}} << "framCOM"
            << Values {{"cmbRate", "115200"}, {"cmbComNum", "COM 1"}}
            << Values {{"g_Mode", "COM"}, {"g_com", "1"}, {"g_Rate_index", "3"}};
        QTest::newRow("tcp with stored port, flags and unit")
            << Values {{"LastCon", "1"}, {"NetPort", "5050"}, {"server", "0"}, {"login", "1"}, {"unitID", "07"}}
            << "framNET"
            << Values {{"cmbConSelect", "TCP/IP (net)"}, {"txtPort", "5050"}, {"chkMasterLog", "checked"},
                   {"chkSERVER", ""}, {"txtUnitID", "7"}}
            << Values {{"g_Mode", "NET"}, {"g_port", "5050"}, {"g_ip", "192.168.0.15"}, {"g_Login", "1"},
                   {"g_Server", "0"}, {"g_UnitID", "7"}};
        QTest::newRow("tcp blank port falls back to 4001")
            << Values {{"LastCon", "1"}, {"NetPort", "   "}} << "framNET" << Values {{"txtPort", "4001"}}
            << Values {{"g_port", "4001"}};
        // "server" first checks "Login to Master PC", then "login" sets it as stored.
        QTest::newRow("server, then login, each with its rule")
            << Values {{"LastCon", "1"}, {"server", "1"}, {"login", "0"}} << "framNET"
            << Values {{"chkSERVER", "checked"}, {"chkMasterLog", ""}}
            << Values {{"g_Server", "1"}, {"g_Login", "0"}};
        QTest::newRow("positions read as numbers: hexadecimal, rounded")
            << Values {{"LastCon", "&H0"}, {"CBitRate", "1.6"}, {"CComNum", "&H3"}} << "framCOM"
            << Values {{"cmbRate", "57600"}, {"cmbComNum", "COM 4"}}
            << Values {{"g_Mode", "COM"}, {"g_com", "4"}, {"g_Rate_index", "2"}};
        QTest::newRow("modem") << Values {{"LastCon", "2"}, {"MComNum", "3"}, {"MBitRate", "2"},
            {"MPhone", " 0551234 "}}
                               << "framCOM"
                               << Values {{"cmbConSelect", "Modem (dial-up)"}, {"cmbMComNum", "COM 3"},
                                      {"cmbMRate", "57600"}, {"txtPhone", " 0551234 "}}
                               << Values {{"g_Mode", "MDM"}, {"g_com", "3"}, {"g_Rate", "57600"}, {"g_Rate_index", "2"},
                                      {"g_Phone", "0551234"}};
        QTest::newRow("letters read as 0: serial")
            << Values {{"LastCon", "abc"}, {"CComNum", "x"}} << "framCOM" << Values {{"cmbComNum", "COM 1"}}
            << Values {{"g_Mode", "COM"}, {"g_com", "1"}};
        QTest::newRow("unknown last connection is the modem")
            << Values {{"LastCon", "7"}} << "framCOM" << Values {{"cmbMComNum", "COM 1"}, {"cmbMRate", "19200"}}
            << Values {{"g_Mode", "MDM"}, {"g_com", "1"}, {"g_Rate_index", "0"}};
    }

    void storedChoices()
    {
        QFETCH(Values, stored);
        QFETCH(QString, panel);
        QFETCH(Values, shown);
        QFETCH(Values, results);
        store(stored);
        store({{"ip0", "192.168.0.15"}}, QStringLiteral("IPSave"), QStringLiteral("Data.xml"));

        auto dialog = openDialog();
        QVERIFY(child<QFrame>(*dialog, qPrintable(panel))->isVisible());
        for (auto it = shown.cbegin(); it != shown.cend(); ++it) {
            QWidget *control = child<QWidget>(*dialog, qPrintable(it.key()));
            QVERIFY2(control->isVisible(), qPrintable(it.key()));
            if (auto *list = qobject_cast<QComboBox *>(control))
                QCOMPARE(list->currentText(), it.value());
            else if (auto *box = qobject_cast<QLineEdit *>(control))
                QCOMPARE(box->text(), it.value());
            else if (auto *check = qobject_cast<QCheckBox *>(control))
                QCOMPARE(check->isChecked(), it.value() == QLatin1String("checked"));
        }

        QTest::mouseClick(child<QPushButton>(*dialog, "cmdOk"), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        const Values actual = fieldsOf(dialog->choice());
        for (auto it = results.cbegin(); it != results.cend(); ++it)
            QCOMPARE(actual.value(it.key()), it.value());
    }

    // A damaged settings file or history leaves every control at its default, silently.
    void damagedFiles()
    {
        for (const QString &name : {QStringLiteral("Setting.xml"), QStringLiteral("Data.xml")}) {
            QFile file(folder() + QLatin1Char('/') + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("<IPConfig><LastCon>1</Last");
        }
        auto dialog = openDialog();
        QCOMPARE(dialog->g_Mode, QStringLiteral("COM"));
        QCOMPARE(child<QComboBox>(*dialog, "cmbRate")->currentText(), QStringLiteral("115200"));
        QCOMPARE(child<QLineEdit>(*dialog, "txtPort")->text(), QStringLiteral("4001"));
        QVERIFY(hostBox(*dialog)->text().isEmpty());
        QTest::mouseClick(child<QPushButton>(*dialog, "cmdOk"), Qt::LeftButton);
        QCOMPARE(dialog->g_Mode, QStringLiteral("COM"));
        QVERIFY(m_boxes.shown.isEmpty());
    }

    // Switching the mode list swaps the panels and the modem rows and moves the focus.
    void modeChange()
    {
        auto dialog = openDialog();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        auto *mode = child<QComboBox>(*dialog, "cmbConSelect");

        mode->setCurrentIndex(frmConnectionSelect::kModeModem);
        QCOMPARE(dialog->g_Mode, QStringLiteral("MDM"));
        QVERIFY(child<QComboBox>(*dialog, "cmbMComNum")->isVisible());
        QVERIFY(!child<QComboBox>(*dialog, "cmbComNum")->isVisible());
        QVERIFY(child<QLabel>(*dialog, "lblPhone")->isVisible());
        QVERIFY(child<QLabel>(*dialog, "lblOptionslMdm")->isVisible());
        QCOMPARE(QApplication::focusWidget(), child<QComboBox>(*dialog, "cmbMComNum"));
        const QSize size = dialog->size();

        mode->setCurrentIndex(frmConnectionSelect::kModeNet);
        QCOMPARE(dialog->g_Mode, QStringLiteral("NET"));
        QVERIFY(!child<QFrame>(*dialog, "framCOM")->isVisible());
        QVERIFY(child<QFrame>(*dialog, "framNET")->isVisible());
        QCOMPARE(QApplication::focusWidget(), hostBox(*dialog));

        mode->setCurrentIndex(frmConnectionSelect::kModeSerial);
        QCOMPARE(dialog->g_Mode, QStringLiteral("COM"));
        QVERIFY(!child<QLabel>(*dialog, "lblPhone")->isVisible());
        QVERIFY(child<QComboBox>(*dialog, "cmbComNum")->isVisible());
        QCOMPARE(QApplication::focusWidget(), child<QComboBox>(*dialog, "cmbComNum"));
        QCOMPARE(dialog->size(), size);
    }

    void hostAndPortChecks_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("acceptedPort");

        const QString hostMessage = QStringLiteral("Wrong host address, please enter a valid host address!!");
        const QString portMessage = QStringLiteral("Wrong port number, please enter a valid port number!!");
        QTest::newRow("blank host and letters: both, host first")
            << "   "
            << "abc" << QStringList {hostMessage, portMessage} << QString();
        QTest::newRow("port 0") << "gw.local"
                                << "0" << QStringList {portMessage} << QString();
        QTest::newRow("empty port") << "gw.local"
                                    << "" << QStringList {portMessage} << QString();
        QTest::newRow("digits then letters") << "gw.local"
                                             << "40a1" << QStringList {portMessage} << QString();
        QTest::newRow("blanks around the port") << " 10.0.0.9 "
                                                << " 4001 " << QStringList() << "4001";
        QTest::newRow("no range check") << "10.0.0.9"
                                        << "99999" << QStringList() << "99999";
    }

    void hostAndPortChecks()
    {
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(QStringList, messages);
        QFETCH(QString, acceptedPort);
        store({{"LastCon", "1"}});

        auto dialog = openDialog();
        hostBox(*dialog)->setText(host);
        child<QLineEdit>(*dialog, "txtPort")->setText(port);
        QTest::mouseClick(child<QPushButton>(*dialog, "cmdOk"), Qt::LeftButton);

        QCOMPARE(m_boxes.shown.size(), messages.size());
        for (int i = 0; i < messages.size(); ++i) {
            QCOMPARE(m_boxes.shown.at(i).text, messages.at(i));
            QCOMPARE(m_boxes.shown.at(i).title, QStringLiteral("info"));
            QCOMPARE(m_boxes.shown.at(i).icon, QMessageBox::Information);
            QCOMPARE(m_boxes.shown.at(i).buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        }
        if (messages.isEmpty()) {
            QVERIFY(!dialog->isVisible());
            QCOMPARE(dialog->g_port, acceptedPort);
            QCOMPARE(dialog->g_ip, QStringLiteral("10.0.0.9"));
        } else {
            QVERIFY(dialog->isVisible());
            QCOMPARE(child<QLineEdit>(*dialog, "txtPort")->text(), port);
            QVERIFY(dialog->g_port.isEmpty());
            dialog->close();
        }
    }

    void serverAndLoginRules()
    {
        store({{"LastCon", "1"}});
        auto dialog = openDialog();
        auto *server = child<QCheckBox>(*dialog, "chkSERVER");
        auto *login = child<QCheckBox>(*dialog, "chkMasterLog");
        auto *host = child<AutoCombo>(*dialog, "txtIP");
        auto *unit = child<QLineEdit>(*dialog, "txtUnitID");

        clickBox(server);
        QVERIFY(!host->ucEnable());
        QVERIFY(!host->textBox()->isEnabled());
        QVERIFY(login->isChecked());
        QVERIFY(!login->isEnabled());
        QVERIFY(unit->isEnabled());

        clickBox(server);
        QVERIFY(host->ucEnable());
        QVERIFY(login->isEnabled());
        QVERIFY(login->isChecked());
        QVERIFY(unit->isEnabled());

        clickBox(login);
        QVERIFY(!unit->isEnabled());
        clickBox(login);
        QVERIFY(unit->isEnabled());
        dialog->close();
    }

    void closedWithoutOk_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("close box") << "close";
    }

    // However it is closed without OK the dialog reports "ERR" and writes nothing.
    void closedWithoutOk()
    {
        QFETCH(QString, how);
        store({{"LastCon", "1"}, {"NetPort", "4100"}});
        QFile file(SettingsLocation::settingFile(folder()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();

        auto dialog = openDialog();
        child<QLineEdit>(*dialog, "txtPort")->setText(QStringLiteral("1"));
        child<QComboBox>(*dialog, "cmbConSelect")->setCurrentIndex(frmConnectionSelect::kModeSerial);
        if (how == QLatin1String("cancel"))
            QTest::mouseClick(child<QPushButton>(*dialog, "cmdCancel"), Qt::LeftButton);
        else if (how == QLatin1String("escape"))
            QTest::keyClick(child<QComboBox>(*dialog, "cmbComNum"), Qt::Key_Escape);
        else
            QVERIFY(dialog->close());

        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QCOMPARE(dialog->g_Mode, QStringLiteral("ERR"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        file.close();

        auto next = openDialog();
        QCOMPARE(child<QLineEdit>(*next, "txtPort")->text(), QStringLiteral("4100"));
        QCOMPARE(next->g_Mode, QStringLiteral("NET"));
        next->close();
    }

    void passwordClickClears()
    {
        auto dialog = openDialog();
        auto *pass = child<QLineEdit>(*dialog, "txtPass");
        QTest::mouseClick(pass, Qt::LeftButton);
        QVERIFY(pass->text().isEmpty());
        QTest::keyClicks(pass, "secret");
        QCOMPARE(pass->text(), QStringLiteral("secret"));
        QTest::mouseClick(pass, Qt::LeftButton);
        QVERIFY(pass->text().isEmpty());
        QTest::keyClicks(pass, "1234567890");
        QTest::mouseClick(child<QPushButton>(*dialog, "cmdOk"), Qt::LeftButton);
        QCOMPARE(dialog->g_Pass, QStringLiteral("12345678"));
    }

    // A host picked from the history with Enter moves the focus to OK without
    // closing the dialog; the history is committed only when the caller asks.
    void hostPickedFromHistory()
    {
        store({{"LastCon", "1"}});
        store({{"ip0", "10.1.1.1"}, {"ip1", "192.168.0.15"}}, QStringLiteral("IPSave"), QStringLiteral("Data.xml"));
        auto dialog = openDialog();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QLineEdit *box = hostBox(*dialog);
        QCOMPARE(box->text(), QStringLiteral("10.1.1.1"));
        box->setFocus();
        box->clear();
        QTest::keyClicks(box, "19");
        auto *host = child<AutoCombo>(*dialog, "txtIP");
        QTRY_VERIFY(host->isListShown());
        QTest::keyClick(box, Qt::Key_Down);
        QTRY_VERIFY(host->suggestionList()->hasFocus());
        QTest::keyClick(host->suggestionList(), Qt::Key_Return);

        QCOMPARE(host->text(), QStringLiteral("192.168.0.15"));
        QTRY_COMPARE(QApplication::focusWidget(), child<QPushButton>(*dialog, "cmdOk"));
        QVERIFY(dialog->isVisible());

        QTest::mouseClick(child<QPushButton>(*dialog, "cmdOk"), Qt::LeftButton);
        QCOMPARE(dialog->g_ip, QStringLiteral("192.168.0.15"));
        {
            SettingsFile data(SettingsLocation::dataFile(folder()));
            QCOMPARE(data.value("IPSave", "ip0"), QStringLiteral("10.1.1.1"));
        }
        dialog->commitHistories();
        SettingsFile data(SettingsLocation::dataFile(folder()));
        QCOMPARE(data.value("IPSave", "ip0"), QStringLiteral("192.168.0.15"));
        QCOMPARE(data.value("IPSave", "ip1"), QStringLiteral("10.1.1.1"));
    }
};

QTEST_MAIN(tst_ConnectionSelect)
#include "tst_connectionselect.moc"
