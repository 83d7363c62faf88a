// The DBG page with a real link: what reaches the log and in which colours, the
// line limit across batched drawing, search, saving in both formats, raw bytes
// over a socat pseudo-terminal pair, the send box, the filter history and the
// Font command.

#include <autocombo.h>
#include <cspooling.h>
#include <monitorpage.h>
#include <pseudoterminalpair.h>
#include <scriptedmessageboxes.h>
#include <settingsfile.h>
#include <settingslocation.h>

#include <QAccessible>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <memory>

using namespace Qt::StringLiterals;

class TestMonitorPage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void initialState();
    void tabsShowTheirInput();
    void sentCommandColours_data();
    void sentCommandColours();
    void gatewayLinesThroughTheFilter();
    void reanalysisIsNeverShown();
    void limitAcrossBatchedDrawing();
    void searchTwiceAndWrap();
    void saveBothFormats();
    void saveUnknownFormatAndExistingFile();
    void binaryOverSerial();
    void sendAndErase();
    void filterHistoryAtStartUp();
    void fontCommand();
    void accessibleNames_data();
    void accessibleNames();

private:
    template<typename T> T *child(const QString &name) const
    {
        T *found = m_page->findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    void makePage();
    // The log's lines, without the empty block after the last line break.
    QStringList logLines();
    // Each line's colour (of its first character).
    QList<QColor> lineColours();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedMessageBoxes> m_boxes;
    std::unique_ptr<CSpooling> m_link;
    std::unique_ptr<MonitorPage> m_page;
};

void TestMonitorPage::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_boxes = std::make_unique<ScriptedMessageBoxes>();
    m_link = std::make_unique<CSpooling>();
    makePage();
}

void TestMonitorPage::makePage()
{
    m_page = std::make_unique<MonitorPage>(m_link.get(), *m_boxes, m_dir->path());
    CSpooling::Services services;
    services.monitor = m_page.get();
    services.relay = m_page->relay();
    m_link->setServices(services);
    m_page->resize(900, 600);
    m_page->show();
}

void TestMonitorPage::cleanup()
{
    if (m_link)
        m_link->setServices({});
    m_page.reset();
    m_link.reset();
    m_boxes.reset();
    if (m_dir)
        m_dir->setAutoRemove(!QTest::currentTestFailed());
    m_dir.reset();
}

QStringList TestMonitorPage::logLines()
{
    m_page->flush();
    QStringList lines = m_page->logView()->toPlainText().split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QList<QColor> TestMonitorPage::lineColours()
{
    m_page->flush();
    QList<QColor> colours;
    const QTextDocument *document = m_page->logView()->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.length() <= 1)
            continue;
        colours << block.begin().fragment().charFormat().foreground().color();
    }
    return colours;
}

void TestMonitorPage::initialState()
{
    QCOMPARE(child<QLineEdit>(u"txtDBGMaxLines"_s)->text(), u"2000"_s);
    QCOMPARE(child<QLineEdit>(u"txtDBGMaxLines"_s)->maxLength(), 4);
    QCOMPARE(child<QLabel>(u"lblDBGLineCount"_s)->text(), u"0"_s);
    QVERIFY(child<QCheckBox>(u"chkDBGEnableDbg"_s)->isChecked());
    QVERIFY(child<QCheckBox>(u"chkDBGAnalyze"_s)->isChecked());
    QVERIFY(child<QCheckBox>(u"chkDBGEnableFilter"_s)->isChecked());
    QVERIFY(!child<QCheckBox>(u"chkDBGAddTime"_s)->isChecked());
    QVERIFY(child<QCheckBox>(u"chkDBGShowSend"_s)->isChecked());
    QVERIFY(!child<QCheckBox>(u"chkDBGErase"_s)->isChecked());
    QVERIFY(child<QRadioButton>(u"optDBGFilter_0"_s)->isChecked());
    QVERIFY(!child<QRadioButton>(u"optDBGFilter_1"_s)->isChecked());
    QCOMPARE(child<QTabWidget>(u"tabDBG"_s)->currentIndex(), 0);
    QCOMPARE(child<QTabWidget>(u"tabDBG"_s)->tabText(2), u"Filter"_s);
    QCOMPARE(child<QPushButton>(u"cmdDBGListenStart"_s)->text(), u"Start"_s);
    QCOMPARE(child<QPushButton>(u"cmdDBGConnect"_s)->text(), u"Connect"_s);
    QCOMPARE(child<QLineEdit>(u"txtDBGPort_0"_s)->maxLength(), 6);
    QCOMPARE(child<QLineEdit>(u"txtDBGPort_1"_s)->maxLength(), 6);
    QVERIFY(child<QWidget>(u"shpDBG_LED"_s)->isHidden());
    QVERIFY(child<QTimer>(u"tmrDBGLED_0"_s));
    QVERIFY(child<QTimer>(u"tmrDBGLED_1"_s));
    QVERIFY(m_page->logView()->isReadOnly());
    QVERIFY(m_page->isAnalyzeEnabled());
    child<QCheckBox>(u"chkDBGAnalyze"_s)->setChecked(false);
    QVERIFY(!m_page->isAnalyzeEnabled());
}

void TestMonitorPage::tabsShowTheirInput()
{
    auto *tabs = child<QTabWidget>(u"tabDBG"_s);
    auto *filter = child<AutoCombo>(u"txtDBGFilter"_s);
    auto *host = child<AutoCombo>(u"txtDBGNetC"_s);
    const struct
    {
        int tab;
        bool filterShown;
        bool hostShown;
    } steps[] = {{2, true, false}, {1, false, true}, {0, false, false}, {2, true, false}};
    QVERIFY(filter->isHidden() && host->isHidden());
    for (const auto &step : steps) {
        tabs->setCurrentIndex(step.tab);
        QCOMPARE(!filter->isHidden(), step.filterShown);
        QCOMPARE(!host->isHidden(), step.hostShown);
    }
}

void TestMonitorPage::sentCommandColours_data()
{
    QTest::addColumn<bool>("addTime");
    QTest::addColumn<QList<QColor>>("colours");
    QTest::newRow("without time: both green") << false << QList<QColor> {{0, 255, 0}, {0, 255, 0}};
    QTest::newRow("with time: light green, light red") << true << QList<QColor> {{100, 255, 100}, {255, 100, 100}};
}

void TestMonitorPage::sentCommandColours()
{
    QFETCH(bool, addTime);
    QFETCH(QList<QColor>, colours);
    child<QCheckBox>(u"chkDBGAddTime"_s)->setChecked(addTime);

    // No transport prepared: nothing goes out, but every command is echoed.
    m_link->SendCommand(u"CPW1234"_s, false);
    m_link->SendCommand(u"RBT"_s, true);
    QCOMPARE(lineColours(), colours);
    const QStringList lines = logLines();
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].endsWith(addTime ? u" >  CPW1234"_s : u"CPW1234"_s));
    QCOMPARE(lines[0] == u"CPW1234"_s, !addTime);
    QCOMPARE(child<QLabel>(u"lblDBGLineCount"_s)->text(), u"0"_s);

    // Both switches must be on.
    child<QCheckBox>(u"chkDBGShowSend"_s)->setChecked(false);
    m_link->SendCommand(u"X1"_s);
    child<QCheckBox>(u"chkDBGShowSend"_s)->setChecked(true);
    child<QCheckBox>(u"chkDBGEnableDbg"_s)->setChecked(false);
    m_link->SendCommand(u"X2"_s);
    QCOMPARE(logLines().size(), 2);
}

void TestMonitorPage::gatewayLinesThroughTheFilter()
{
    QTcpServer gateway;
    QVERIFY(gateway.listen(QHostAddress::LocalHost, 0));
    m_link->InitNET(u"127.0.0.1"_s, QString::number(gateway.serverPort()));
    m_link->FillBuffer();
    QTRY_VERIFY(gateway.hasPendingConnections() && m_link->isConnected());
    std::unique_ptr<QTcpSocket> peer(gateway.nextPendingConnection());

    auto *filterBox = child<AutoCombo>(u"txtDBGFilter"_s);
    filterBox->textBox()->setText(u"I_ALR*,25*|A_CDR*|C_CDR*"_s);
    m_page->cmdDBGFilter_Click();
    QCOMPARE(m_page->activeFilter(), u"I_ALR*,25*|A_CDR*|C_CDR*"_s);

    const QByteArray first("I_ALR03,25,1\rGSM1,-67\r\0A_CDR,2\rI_ALR03,12\rA_CPW99\rC_CDR,1\r\nOK\r", 62);
    peer->write(first);
    QTRY_COMPARE(m_link->receivedByteCount(), first.size());
    QCOMPARE(logLines(), (QStringList {u"GSM1,-67"_s, u"I_ALR03,12"_s, QString(), u"OK"_s}));
    QCOMPARE(child<QLabel>(u"lblDBGLineCount"_s)->text(), u"3"_s);
    QCOMPARE(lineColours(), QList<QColor>(3, QColor(255, 255, 0)));

    // Invert takes effect at once; the active filter stays.
    child<QPushButton>(u"cmdClearBuffer"_s)->click();
    QCOMPARE(child<QLabel>(u"lblDBGLineCount"_s)->text(), u"0"_s);
    child<QRadioButton>(u"optDBGFilter_1"_s)->setChecked(true);
    const QByteArray second("I_ALR03,25,1\rGSM1,-67\rA_CDR,2\rA_CPW,A_CDR\r");
    peer->write(second);
    QTRY_COMPARE(m_link->receivedByteCount(), first.size() + second.size());
    QCOMPARE(logLines(), (QStringList {u"I_ALR03,25,1"_s, u"A_CDR,2"_s}));
}

void TestMonitorPage::reanalysisIsNeverShown()
{
    child<QCheckBox>(u"chkDBGAddTime"_s)->setChecked(true);
    child<QCheckBox>(u"chkDBGEnableFilter"_s)->setChecked(false);
    QSignalSpy results(m_link.get(), &CSpooling::WriteResult);
    m_link->AnalyzeCmd(u"OK"_s, false);
    m_link->AnalyzeCmd(u"GSM1,2,3"_s, false);
    QCOMPARE(results.size(), 1); // analysed all the same
    QVERIFY(!m_page->hasPendingPieces());
    QVERIFY(logLines().isEmpty());
    QCOMPARE(m_page->log().lineCount(), 0);

    // "Enable Analyze" off: shown but not analysed.
    child<QCheckBox>(u"chkDBGAnalyze"_s)->setChecked(false);
    m_link->AnalyzeCmd(u"OK"_s, true);
    QCOMPARE(results.size(), 1);
    QCOMPARE(logLines().size(), 1);
}

void TestMonitorPage::limitAcrossBatchedDrawing()
{
    child<QLineEdit>(u"txtDBGMaxLines"_s)->setText(u"3"_s);
    auto *count = child<QLabel>(u"lblDBGLineCount"_s);

    // All within one turn of the event loop: the fourth line empties the log,
    // and what waited to be drawn goes with it.
    for (const QString &line : {u"L1"_s, u"L2"_s, u"L3"_s, u"L4"_s})
        m_link->AnalyzeCmd(line, true);
    QCOMPARE(m_page->log().lineCount(), 1);
    QTRY_VERIFY(!m_page->hasPendingPieces());
    QCOMPARE(m_page->logView()->toPlainText(), QString());
    QCOMPARE(count->text(), u"1"_s);

    m_link->AnalyzeCmd(u"L5"_s, true);
    QTRY_COMPARE(count->text(), u"2"_s);
    QCOMPARE(logLines(), QStringList {u"L5"_s});

    // Lines drawn before the limit strikes go as well.
    m_link->AnalyzeCmd(u"L6"_s, true);
    m_page->flush();
    m_link->SendCommand(u"SENT"_s);
    m_link->AnalyzeCmd(u"L7"_s, true);
    QCOMPARE(logLines(), QStringList());
    QCOMPARE(count->text(), u"1"_s);
    m_link->AnalyzeCmd(u"L8"_s, true);
    QCOMPARE(logLines(), QStringList {u"L8"_s});

    // Emptying keeps the log cheap: no undo history, and its hard bound.
    const QTextDocument *document = m_page->logView()->document();
    QVERIFY(!document->isUndoRedoEnabled());
    QCOMPARE(document->maximumBlockCount(), MonitorPage::kMaxLogLines);
}

void TestMonitorPage::searchTwiceAndWrap()
{
    child<QCheckBox>(u"chkDBGEnableFilter"_s)->setChecked(false);
    for (const QString &line : {u"abc one"_s, u"two xABCx"_s, u"three"_s})
        m_link->AnalyzeCmd(line, true);
    auto *send = child<QLineEdit>(u"txtDBGSend"_s);
    auto *search = child<QPushButton>(u"cmdDBGSearch"_s);
    QPlainTextEdit *view = m_page->logView();

    send->setText(u"Abc"_s);
    search->click();
    QCOMPARE(view->textCursor().selectionStart(), 0);
    QCOMPARE(view->textCursor().selectedText(), u"abc"_s);
    QCOMPARE(m_page->searchStart(), 1);

    search->click();
    QCOMPARE(view->textCursor().selectedText(), u"ABC"_s);
    QCOMPARE(view->textCursor().selectionStart(), 13);

    // After the last one: nothing found, the selection stays, the search starts over.
    search->click();
    QCOMPARE(view->textCursor().selectionStart(), 13);
    QCOMPARE(m_page->searchStart(), 0);
    QCOMPARE(m_page->lastSearch(), QString());
    search->click();
    QCOMPARE(view->textCursor().selectionStart(), 0);

    // Another text starts from the top again.
    search->click();
    send->setText(u"o"_s);
    search->click();
    QCOMPARE(view->textCursor().selectionStart(), 4);
}

void TestMonitorPage::saveBothFormats()
{
    child<QCheckBox>(u"chkDBGEnableFilter"_s)->setChecked(false);
    m_link->SendCommand(u"CPW{1}"_s);
    // Bytes above 0x7F as they came off the wire; the euro sign can only be typed for Analyze.
    m_link->AnalyzeCmd(QString::fromLatin1("VER a\\b caf\xe9 \x80\xa0\xff ") + u'\u20ac', true);
    m_link->AnalyzeCmd(u"OK"_s, true);

    QString chosen;
    m_page->setSaveFileChooser([&](QWidget *, const QString &, const QString &filter) {
        [&] { QCOMPARE(filter, u"Rich Text Format (*.rtf);;Text File (*.txt)"_s); }();
        return chosen;
    });

    chosen = m_dir->filePath(u"log.RtF"_s);
    m_page->cmdDBGSaveFile_Click();
    QFile rtfFile(chosen);
    QVERIFY(rtfFile.open(QIODevice::ReadOnly));
    const QByteArray rtf = rtfFile.readAll();
    QVERIFY(rtf.startsWith("{\\rtf1"));
    QVERIFY(rtf.contains("\\red255\\green255\\blue0;"));
    QVERIFY(rtf.contains("\\red0\\green255\\blue0;"));
    QVERIFY(rtf.contains("CPW\\{1\\}"));
    QVERIFY(rtf.contains("a\\\\b caf\\'e9 \\'80\\'a0\\'ff \\u8364?"));
    QVERIFY(rtf.contains("Courier New"));

    QProcess unrtf;
    unrtf.start(u"unrtf"_s, {u"--text"_s, chosen});
    QVERIFY(unrtf.waitForFinished(10000));
    const QString text = QString::fromUtf8(unrtf.readAllStandardOutput());
    QVERIFY2(text.contains(u"CPW{1}"_s), qPrintable(text));
    QVERIFY2(text.contains(u"VER a\\b caf"_s), qPrintable(text));
    QVERIFY2(text.contains(u"\nOK"_s), qPrintable(text));

    chosen = m_dir->filePath(u"log.txt"_s);
    m_page->cmdDBGSaveFile_Click();
    // One byte per character and CR LF after every line, whatever the system.
    QFile txtFile(chosen);
    QVERIFY(txtFile.open(QIODevice::ReadOnly));
    QCOMPARE(txtFile.readAll(), QByteArray("CPW{1}\r\nVER a\\b caf\xe9 \x80\xa0\xff ?\r\nOK\r\n"));
    QVERIFY(m_boxes->shown.isEmpty());

    // A cancelled dialog asks nothing and writes nothing.
    chosen.clear();
    m_page->cmdDBGSaveFile_Click();
    QVERIFY(m_boxes->shown.isEmpty());
}

void TestMonitorPage::saveUnknownFormatAndExistingFile()
{
    m_link->AnalyzeCmd(u"NEW"_s, true);
    QString chosen = m_dir->filePath(u"log.doc"_s);
    m_page->setSaveFileChooser([&](QWidget *, const QString &, const QString &) { return chosen; });

    m_page->cmdDBGSaveFile_Click();
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(m_boxes->shown[0].text, u"File format is not known!!"_s);
    QCOMPARE(m_boxes->shown[0].title, u"info"_s);
    QCOMPARE(m_boxes->shown[0].icon, QMessageBox::Information);
    QVERIFY(!QFileInfo::exists(chosen));

    chosen = m_dir->filePath(u"old.txt"_s);
    {
        QFile old(chosen);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("OLD\n");
    }
    m_boxes->answers = {QMessageBox::No, QMessageBox::Yes};
    m_page->cmdDBGSaveFile_Click();
    QCOMPARE(m_boxes->shown.size(), 2);
    const MessageRequest question = m_boxes->shown[1];
    QCOMPARE(question.text, chosen + u"  already exists.\nDo you want to replace it?"_s);
    QCOMPARE(question.icon, QMessageBox::Warning);
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(question.defaultButton, QMessageBox::No);
    QFile file(chosen);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("OLD\n"));
    file.close();

    m_page->cmdDBGSaveFile_Click();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("NEW\r\n"));
}

void TestMonitorPage::binaryOverSerial()
{
    PseudoTerminalPair pair(m_dir->path());
    QVERIFY2(pair.start(), qPrintable(pair.errorText()));
    const QString linkEnd = pair.first();

    QSerialPort far(pair.second());
    QVERIFY2(far.open(QIODevice::ReadWrite), qPrintable(far.errorString()));

    SerialPortMap map;
    map.setDevicePath(5, linkEnd);
    m_link->setSerialPortMap(map);
    m_link->InitCOM(u"115200,n,8,1"_s, 5);
    m_link->FillBuffer();
    QVERIFY(m_link->isConnected());

    auto *send = child<QLineEdit>(u"txtDBGSend"_s);
    send->setText(u"01,0A,FF"_s);
    child<QPushButton>(u"cmdDBGBinary"_s)->click();
    QByteArray received;
    QTRY_COMPARE((received += far.readAll()), QByteArray("\x01\x0a\xff", 3));
    // Raw bytes are not logged.
    QVERIFY(logLines().isEmpty());

    for (const QString &bad : {u"300"_s, u"01,zz"_s}) {
        send->setText(bad);
        child<QPushButton>(u"cmdDBGBinary"_s)->click();
    }
    // A marker after the refused ones shows that nothing came before it.
    send->setText(u"7"_s);
    child<QPushButton>(u"cmdDBGBinary"_s)->click();
    received.clear();
    QTRY_VERIFY(!(received += far.readAll()).isEmpty());
    QCOMPARE(received, QByteArray("\x07"));
}

void TestMonitorPage::sendAndErase()
{
    auto *send = child<QLineEdit>(u"txtDBGSend"_s);
    QVERIFY(!m_page->isSendDefault());
    send->setFocus();
    QTest::keyClicks(send, u"RBT"_s);
    QVERIFY(m_page->isSendDefault());
    QTest::keyClick(send, Qt::Key_Return);
    QCOMPARE(logLines(), QStringList {u"RBT"_s});
    QCOMPARE(send->text(), u"RBT"_s);

    child<QCheckBox>(u"chkDBGErase"_s)->setChecked(true);
    child<QPushButton>(u"cmdSEND"_s)->click();
    QCOMPARE(send->text(), QString());
    QCOMPARE(logLines(), (QStringList {u"RBT"_s, u"RBT"_s}));

    // Analyze treats the text as a line from the gateway.
    QSignalSpy results(m_link.get(), &CSpooling::WriteResult);
    send->setText(u"ERR 5"_s);
    child<QPushButton>(u"cmdDBGAnalyze"_s)->click();
    QCOMPARE(results.size(), 1);
    QCOMPARE(results[0][0].toBool(), false);
    QCOMPARE(lineColours().last(), QColor(255, 255, 0));
    QCOMPARE(child<QLabel>(u"lblDBGLineCount"_s)->text(), u"1"_s);
}

void TestMonitorPage::filterHistoryAtStartUp()
{
    m_page->startUp();
    auto *filter = child<AutoCombo>(u"txtDBGFilter"_s);
    filter->textBox()->setText(u"A_CDR"_s);
    m_page->cmdDBGFilter_Click();
    QCOMPARE(m_page->activeFilter(), u"A_CDR"_s);

    // The next start: the input shows the last filter, the active one is empty.
    m_link->setServices({});
    makePage();
    m_page->startUp();
    QCOMPARE(m_page->activeFilter(), QString());
    QCOMPARE(child<AutoCombo>(u"txtDBGFilter"_s)->text(), u"A_CDR"_s);
    m_link->AnalyzeCmd(u"A_CDR,1"_s, true);
    QCOMPARE(logLines(), QStringList {u"A_CDR,1"_s});

    // Invert with the empty active filter hides every line.
    child<QRadioButton>(u"optDBGFilter_1"_s)->setChecked(true);
    m_link->AnalyzeCmd(u"GSM1"_s, true);
    QCOMPARE(logLines().size(), 1);

    child<QPushButton>(u"cmdDBGFilter"_s)->click();
    QCOMPARE(m_page->activeFilter(), u"A_CDR"_s);
    m_link->AnalyzeCmd(u"A_CDR,2"_s, true);
    QCOMPARE(logLines().size(), 2);
}

void TestMonitorPage::fontCommand()
{
    std::optional<QFont> answer;
    QFont offered;
    m_page->setFontChooser([&](QWidget *, const QFont &initial) {
        offered = initial;
        return answer;
    });
    QSignalSpy changed(m_page.get(), &MonitorPage::monitorFontChanged);
    m_page->setMonitorFont({u"DejaVu Sans Mono"_s, u"12"_s, u"0"_s});

    // Cancelled: nothing changes and nothing is written.
    m_page->cmdDBGFont_Click();
    QCOMPARE(offered.family(), u"DejaVu Sans Mono"_s);
    QCOMPARE(offered.pointSizeF(), 12.0);
    QVERIFY(!offered.bold());
    QCOMPARE(changed.size(), 0);
    QVERIFY(!QFileInfo::exists(SettingsLocation::settingFile(m_dir->path())));

    QFont chosen(u"DejaVu Serif"_s);
    chosen.setPointSizeF(13.5);
    chosen.setBold(true);
    answer = chosen;
    m_page->cmdDBGFont_Click();
    QCOMPARE(changed.size(), 1);
    const MonitorFont font = changed[0][0].value<MonitorFont>();
    QCOMPARE(font, (MonitorFont {u"DejaVu Serif"_s, u"13.5"_s, u"1"_s}));

    SettingsFile settings(SettingsLocation::settingFile(m_dir->path()));
    QVERIFY2(settings.isOpen(), qPrintable(settings.errorText()));
    QCOMPARE(settings.value(u"DBGFont"_s, u"FontName"_s), u"DejaVu Serif"_s);
    QCOMPARE(settings.value(u"DBGFont"_s, u"FontSize"_s), u"13.5"_s);
    QCOMPARE(settings.value(u"DBGFont"_s, u"FontBold"_s), u"1"_s);

    // New pieces take it; what is in the log keeps its font.
    m_link->AnalyzeCmd(u"after"_s, true);
    m_page->flush();
    const QFont used = m_page->logView()->document()->begin().begin().fragment().charFormat().font();
    QCOMPARE(used.family(), u"DejaVu Serif"_s);
    QCOMPARE(used.pointSizeF(), 13.5);
}

void TestMonitorPage::accessibleNames_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("label"); // empty: the control's own caption

    // Inputs are named by the label beside them (the command box by its tab).
    QTest::newRow("max lines") << u"txtDBGMaxLines"_s << u"Max lines"_s;
    QTest::newRow("command") << u"txtDBGSend"_s << u"Send CMD"_s;
    QTest::newRow("filter") << u"txtDBGFilter"_s << u"Set Filter Like:"_s;
    QTest::newRow("listen port") << u"txtDBGPort_0"_s << u"Listen Port"_s;
    QTest::newRow("client host") << u"txtDBGNetC"_s << u"Host / IP"_s;
    QTest::newRow("client port") << u"txtDBGPort_1"_s << u"Port"_s;
    // Buttons, check boxes and option buttons by their caption.
    for (const char *name :
        {"cmdDBGFont", "cmdDBGSaveFile", "cmdClearBuffer", "chkDBGEnableDbg", "chkDBGAnalyze", "chkDBGEnableFilter",
            "chkDBGAddTime", "chkDBGShowSend", "cmdSEND", "cmdDBGAnalyze", "cmdDBGBinary", "cmdDBGSearch",
            "chkDBGErase", "cmdDBGListenStart", "cmdDBGConnect", "cmdDBGFilter", "optDBGFilter_0", "optDBGFilter_1"})
        QTest::newRow(name) << QString::fromLatin1(name) << QString();
}

void TestMonitorPage::accessibleNames()
{
    QFETCH(QString, control);
    QFETCH(QString, label);
    QWidget *widget = child<QWidget>(control);
    // The operator types into the box of an auto-completing input.
    if (auto *combo = qobject_cast<AutoCombo *>(widget))
        widget = combo->textBox();
    if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
        QVERIFY(!button->text().isEmpty());
        label = button->text();
    }
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(accessible);
    QCOMPARE(accessible->text(QAccessible::Name), label);
}

QTEST_MAIN(TestMonitorPage)
#include "tst_monitorpage.moc"
