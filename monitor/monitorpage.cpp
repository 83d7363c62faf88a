#include "monitorpage.h"

#include "monitorlamp.h"
#include "rtfwriter.h"

#include <autocombo.h>
#include <cspooling.h>
#include <fieldcodecs.h>
#include <messageboxservice.h>
#include <settingsfile.h>
#include <settingslocation.h>

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kMaxLinesLength = 4;
constexpr int kPortLength = 6;

QString defaultSaveFile(QWidget *parent, const QString &caption, const QString &filter)
{
    // The page asks about an existing file itself.
    return QFileDialog::getSaveFileName(parent, caption, QString(), filter, nullptr, QFileDialog::DontConfirmOverwrite);
}

std::optional<QFont> defaultFont(QWidget *parent, const QFont &initial)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent, QString(), QFontDialog::ScalableFonts);
    return ok ? std::optional<QFont>(font) : std::nullopt;
}

QPushButton *makeButton(const char *name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QCheckBox *makeCheckBox(const char *name, const QString &caption, bool checked, QWidget *parent)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    return box;
}

// Ties a label to the box of an auto-completing input. Qt looks for a buddy label
// only among the box's own siblings, which are the input's parts, so the box also
// takes the label's text as its accessible name.
void labelAutoCombo(QLabel *label, AutoCombo *input)
{
    label->setBuddy(input->textBox());
    input->textBox()->setAccessibleName(label->text());
}

} // namespace

const QColor MonitorPage::kLogBackground {0, 0, 0};

MonitorPage::MonitorPage(CSpooling *link, MessageBoxService &messages, const QString &settingsFolder, QWidget *parent,
    MonitorRelay::Intervals relayIntervals, Build build)
    : QWidget(parent)
    , m_link(link)
    , m_messages(messages)
    , m_settingsFolder(settingsFolder.isEmpty() ? SettingsLocation::defaultFolder() : settingsFolder)
    , m_chooseSaveFile(defaultSaveFile)
    , m_chooseFont(defaultFont)
    , m_filterHistory(m_settingsFolder)
    , m_clientHistory(m_settingsFolder)
    , m_flushTimer(new QTimer(this))
{
    m_relay = new MonitorRelay(link, messages, relayIntervals, this);
    m_relay->setMessageParent(this);

    m_flushTimer->setSingleShot(true);
    m_flushTimer->setInterval(0);
    connect(m_flushTimer, &QTimer::timeout, this, &MonitorPage::flush);

    // Sent commands are not counted by "Max lines", so a console watching another
    // one's traffic (all of it echoed as remote commands) would otherwise grow its
    // log without end; beyond this many lines the oldest go.
    m_document = new QTextDocument(this);
    m_document->setDocumentLayout(new QPlainTextDocumentLayout(m_document));
    m_document->setUndoRedoEnabled(false);
    m_document->setMaximumBlockCount(kMaxLogLines);
    m_document->setDefaultFont(MonitorLog::logFont());
    m_log.setMaxLinesText(m_maxLinesText);

    m_relay->setBackgroundColour(palette().color(QPalette::Window));
    // Unbuilt, the inputs hold what they would show: empty ports, and the host
    // box the client history's most recent value.
    m_relay->setInputs({
        [this] { return txtDBGPort[0] ? txtDBGPort[0]->text() : QString(); },
        [this] { return txtDBGNetC ? txtDBGNetC->text() : unbuiltInputText(m_clientHistory); },
        [this] { return txtDBGPort[1] ? txtDBGPort[1]->text() : QString(); },
        [this] {
            if (txtDBGNetC)
                txtDBGNetC->WriteToReg();
            else
                m_clientHistory.commit(unbuiltInputText(m_clientHistory));
        },
    });
    connect(m_relay, &MonitorRelay::stateChanged, this, &MonitorPage::showRelayState);
    connect(m_relay, &MonitorRelay::noticeRaised, this, &MonitorPage::appendNotice);
    if (build == Build::Now)
        ensureBuilt();
}

MonitorPage::~MonitorPage()
{
    // A link that outlives the page must not call a monitor or relay that is gone.
    if (m_link) {
        CSpooling::Services services = m_link->services();
        if (services.monitor == this)
            services.monitor = nullptr;
        if (services.relay == m_relay)
            services.relay = nullptr;
        m_link->setServices(services);
    }
}

void MonitorPage::ensureBuilt()
{
    if (m_built)
        return;
    m_built = true;
    buildPage();
    connectSwitches();
    adoptHistories();
    showRelayState();
    // A log that filled while the view was not there opens at its last line,
    // as each drawing of new lines leaves it.
    QScrollBar *scrollBar = txtBuf->verticalScrollBar();
    scrollBar->setValue(scrollBar->maximum());
}

void MonitorPage::showEvent(QShowEvent *event)
{
    ensureBuilt();
    QWidget::showEvent(event);
}

QPlainTextEdit *MonitorPage::logView() const
{
    const_cast<MonitorPage *>(this)->ensureBuilt();
    return txtBuf;
}

QString MonitorPage::unbuiltInputText(const AutoCompleteHistory &history) const
{
    // An input shows its history's most recent value once loaded.
    return m_historiesLoaded && history.errorText().isEmpty() ? history.entries().value(0) : QString();
}

void MonitorPage::adoptHistories()
{
    if (!m_historiesLoaded)
        return;
    txtDBGFilter->adoptHistory(m_filterHistory);
    txtDBGNetC->adoptHistory(m_clientHistory);
}

void MonitorPage::buildPage()
{
    cmdDBGFont = makeButton("cmdDBGFont", QStringLiteral("Font"), this);
    cmdDBGSaveFile = makeButton("cmdDBGSaveFile", QStringLiteral("Save To File"), this);
    cmdClearBuffer = makeButton("cmdClearBuffer", QStringLiteral("Clear Buffer"), this);

    txtDBGMaxLines = new QLineEdit(m_maxLinesText, this);
    txtDBGMaxLines->setObjectName(QStringLiteral("txtDBGMaxLines"));
    txtDBGMaxLines->setMaxLength(kMaxLinesLength);
    txtDBGMaxLines->setFixedWidth(txtDBGMaxLines->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    auto *maxLinesLabel = new QLabel(QStringLiteral("Max lines"), this);
    maxLinesLabel->setBuddy(txtDBGMaxLines);

    lblDBGLineCount = new QLabel(QString::number(m_log.lineCount()), this);
    lblDBGLineCount->setObjectName(QStringLiteral("lblDBGLineCount"));
    lblDBGLineCount->setMinimumWidth(lblDBGLineCount->fontMetrics().horizontalAdvance(QStringLiteral("000000")));
    auto *lineCountLabel = new QLabel(QStringLiteral("Lines Count :"), this);
    lineCountLabel->setBuddy(lblDBGLineCount);

    const MonitorLog::Switches &switches = m_log.switches;
    chkDBGEnableDbg = makeCheckBox("chkDBGEnableDbg", QStringLiteral("Enable Debug"), switches.enableDebug, this);
    chkDBGAnalyze = makeCheckBox("chkDBGAnalyze", QStringLiteral("Enable Analyze"), m_analyze, this);
    chkDBGEnableFilter
        = makeCheckBox("chkDBGEnableFilter", QStringLiteral("Enable Filter"), switches.enableFilter, this);
    chkDBGAddTime = makeCheckBox("chkDBGAddTime", QStringLiteral("Add line time"), switches.addLineTime, this);
    chkDBGShowSend = makeCheckBox("chkDBGShowSend", QStringLiteral("Show send CMD"), switches.showSend, this);

    auto *commands = new QHBoxLayout;
    commands->addWidget(cmdDBGFont);
    commands->addWidget(cmdDBGSaveFile);
    commands->addWidget(cmdClearBuffer);
    commands->addSpacing(16);
    commands->addWidget(maxLinesLabel);
    commands->addWidget(txtDBGMaxLines);
    commands->addSpacing(16);
    commands->addWidget(lineCountLabel);
    commands->addWidget(lblDBGLineCount);
    commands->addStretch(1);

    auto *switchesRow = new QHBoxLayout;
    for (QCheckBox *box : {chkDBGEnableDbg, chkDBGAnalyze, chkDBGEnableFilter, chkDBGAddTime, chkDBGShowSend})
        switchesRow->addWidget(box);
    switchesRow->addStretch(1);

    txtBuf = new QPlainTextEdit(this);
    txtBuf->setObjectName(QStringLiteral("txtBuf"));
    txtBuf->setDocument(m_document);
    txtBuf->setReadOnly(true);
    txtBuf->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtBuf->setAccessibleName(QStringLiteral("Traffic log"));
    QPalette logPalette = txtBuf->palette();
    logPalette.setColor(QPalette::Base, kLogBackground);
    logPalette.setColor(QPalette::Text, MonitorLog::kReceivedColour);
    // The selection of a search must stand out against black and yellow alike.
    logPalette.setColor(QPalette::Highlight, QColor(0, 90, 200));
    logPalette.setColor(QPalette::HighlightedText, Qt::white);
    txtBuf->setPalette(logPalette);
    // A skin's style sheet would paint the log light, where yellow lines cannot be
    // read; the log's own sheet wins over the application's.
    txtBuf->setStyleSheet(QStringLiteral("QPlainTextEdit { background-color: %1; color: %2;"
                                         " selection-background-color: rgb(0, 90, 200); selection-color: white; }")
                              .arg(kLogBackground.name(), MonitorLog::kReceivedColour.name()));

    tabDBG = new QTabWidget(this);
    tabDBG->setObjectName(QStringLiteral("tabDBG"));
    // Each tab joins the tab widget empty and is filled where it stays: a
    // filled widget moved under a styled parent is restyled with all it holds.
    const auto addTab = [this](const QString &caption) {
        auto *tab = new QWidget;
        tabDBG->addTab(tab, caption);
        return tab;
    };
    buildSendTab(addTab(QStringLiteral("Send CMD")));
    buildNetworkTab(addTab(QStringLiteral("Network")));
    buildFilterTab(addTab(QStringLiteral("Filter")));
    // The command box has no label of its own: the tab it fills names it.
    txtDBGSend->setAccessibleName(tabDBG->tabText(TabSendCmd));
    tabDBG->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    connect(tabDBG, &QTabWidget::currentChanged, this, &MonitorPage::tabDBG_Click);
    tabDBG->setCurrentIndex(TabSendCmd);
    tabDBG_Click(TabSendCmd);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(commands);
    layout->addLayout(switchesRow);
    layout->addWidget(txtBuf, 1);
    layout->addWidget(tabDBG);

    connect(cmdDBGFont, &QPushButton::clicked, this, &MonitorPage::cmdDBGFont_Click);
    connect(cmdDBGSaveFile, &QPushButton::clicked, this, &MonitorPage::cmdDBGSaveFile_Click);
    connect(cmdClearBuffer, &QPushButton::clicked, this, &MonitorPage::cmdClearBuffer_Click);
}

void MonitorPage::buildSendTab(QWidget *tab)
{
    txtDBGSend = new QLineEdit(tab);
    txtDBGSend->setObjectName(QStringLiteral("txtDBGSend"));
    cmdSEND = makeButton("cmdSEND", QStringLiteral("SEND"), tab);
    cmdDBGAnalyze = makeButton("cmdDBGAnalyze", QStringLiteral("Analyze"), tab);
    cmdDBGBinary = makeButton("cmdDBGBinary", QStringLiteral("Binary"), tab);
    cmdDBGSearch = makeButton("cmdDBGSearch", QStringLiteral("Search"), tab);
    chkDBGErase = makeCheckBox("chkDBGErase", QStringLiteral("Erase send command"), false, tab);

    auto *sendRow = new QHBoxLayout;
    sendRow->addWidget(txtDBGSend, 1);
    sendRow->addWidget(cmdSEND);
    auto *buttonsRow = new QHBoxLayout;
    buttonsRow->addWidget(cmdDBGAnalyze);
    buttonsRow->addWidget(cmdDBGBinary);
    buttonsRow->addWidget(cmdDBGSearch);
    buttonsRow->addSpacing(16);
    buttonsRow->addWidget(chkDBGErase);
    buttonsRow->addStretch(1);
    auto *layout = new QVBoxLayout(tab);
    layout->addLayout(sendRow);
    layout->addLayout(buttonsRow);
    layout->addStretch(1);

    connect(txtDBGSend, &QLineEdit::textChanged, this, &MonitorPage::txtDBGSend_Change);
    // SEND is the page's default button once the command text changed: Enter sends.
    connect(txtDBGSend, &QLineEdit::returnPressed, this, [this] {
        if (m_sendIsDefault)
            cmdSEND->click();
    });
    connect(cmdSEND, &QPushButton::clicked, this, &MonitorPage::cmdSEND_Click);
    connect(cmdDBGAnalyze, &QPushButton::clicked, this, &MonitorPage::cmdDBGAnalyze_Click);
    connect(cmdDBGBinary, &QPushButton::clicked, this, &MonitorPage::cmdDBGBinary_Click);
    connect(cmdDBGSearch, &QPushButton::clicked, this, &MonitorPage::cmdDBGSearch_Click);
}

void MonitorPage::buildNetworkTab(QWidget *tab)
{
    for (int i = 0; i < 2; ++i) {
        txtDBGPort[i] = new QLineEdit(tab);
        txtDBGPort[i]->setObjectName(QStringLiteral("txtDBGPort_%1").arg(i));
        txtDBGPort[i]->setMaxLength(kPortLength);
        txtDBGPort[i]->setFixedWidth(txtDBGPort[i]->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    }

    auto *server = new QGroupBox(QStringLiteral("Server"), tab);
    cmdDBGListenStart = makeButton("cmdDBGListenStart", QStringLiteral("Start"), server);
    auto *serverLayout = new QFormLayout(server);
    serverLayout->addRow(QStringLiteral("Listen Port"), txtDBGPort[0]);
    serverLayout->addRow(cmdDBGListenStart);

    auto *client = new QGroupBox(QStringLiteral("Client"), tab);
    txtDBGNetC = new AutoCombo(client);
    txtDBGNetC->setObjectName(QStringLiteral("txtDBGNetC"));
    txtDBGNetC->setHistoryFolder(m_settingsFolder);
    txtDBGNetC->setMinimumWidth(200);
    cmdDBGConnect = makeButton("cmdDBGConnect", QStringLiteral("Connect"), client);
    auto *hostLabel = new QLabel(QStringLiteral("Host / IP"), client);
    labelAutoCombo(hostLabel, txtDBGNetC);
    auto *portLabel = new QLabel(QStringLiteral("Port"), client);
    portLabel->setBuddy(txtDBGPort[1]);
    auto *clientLayout = new QHBoxLayout(client);
    clientLayout->addWidget(hostLabel);
    clientLayout->addWidget(txtDBGNetC, 1);
    clientLayout->addWidget(portLabel);
    clientLayout->addWidget(txtDBGPort[1]);
    clientLayout->addWidget(cmdDBGConnect);

    shpDBG_LED = new MonitorLamp(tab);
    shpDBG_LED->setObjectName(QStringLiteral("shpDBG_LED"));
    shpDBG_LED->setAccessibleName(QStringLiteral("Relay status"));

    auto *layout = new QHBoxLayout(tab);
    layout->addWidget(server);
    layout->addWidget(shpDBG_LED, 0, Qt::AlignVCenter);
    layout->addWidget(client, 1);

    connect(cmdDBGListenStart, &QPushButton::clicked, m_relay, &MonitorRelay::cmdDBGListenStart_Click);
    connect(cmdDBGConnect, &QPushButton::clicked, m_relay, &MonitorRelay::cmdDBGConnect_Click);
}

void MonitorPage::buildFilterTab(QWidget *tab)
{
    txtDBGFilter = new AutoCombo(tab);
    txtDBGFilter->setObjectName(QStringLiteral("txtDBGFilter"));
    txtDBGFilter->setHistoryFolder(m_settingsFolder);
    cmdDBGFilter = makeButton("cmdDBGFilter", QStringLiteral("Set Filter"), tab);
    auto *filterLabel = new QLabel(QStringLiteral("Set Filter Like:"), tab);
    labelAutoCombo(filterLabel, txtDBGFilter);

    auto *mode = new QGroupBox(QStringLiteral("Filter Mode"), tab);
    optDBGFilter[0] = new QRadioButton(QStringLiteral("Normal"), mode);
    optDBGFilter[1] = new QRadioButton(QStringLiteral("Invert"), mode);
    auto *modeLayout = new QHBoxLayout(mode);
    for (int i = 0; i < 2; ++i) {
        optDBGFilter[i]->setObjectName(QStringLiteral("optDBGFilter_%1").arg(i));
        modeLayout->addWidget(optDBGFilter[i]);
    }
    optDBGFilter[m_log.switches.invertFilter ? 1 : 0]->setChecked(true);

    auto *layout = new QHBoxLayout(tab);
    layout->addWidget(filterLabel);
    layout->addWidget(txtDBGFilter, 1);
    layout->addWidget(cmdDBGFilter);
    layout->addWidget(mode);

    connect(cmdDBGFilter, &QPushButton::clicked, this, &MonitorPage::cmdDBGFilter_Click);
}

void MonitorPage::connectSwitches()
{
    // The controls were made showing what the page holds; from here on they set it.
    MonitorLog::Switches &switches = m_log.switches;
    const auto bind = [this](QAbstractButton *button, bool &flag) {
        connect(button, &QAbstractButton::toggled, this, [&flag](bool checked) { flag = checked; });
    };
    bind(chkDBGEnableDbg, switches.enableDebug);
    bind(chkDBGAnalyze, m_analyze);
    bind(chkDBGEnableFilter, switches.enableFilter);
    bind(chkDBGAddTime, switches.addLineTime);
    bind(chkDBGShowSend, switches.showSend);
    bind(optDBGFilter[1], switches.invertFilter);

    connect(txtDBGMaxLines, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_maxLinesText = text;
        m_log.setMaxLinesText(text);
    });
}

void MonitorPage::startUp()
{
    cmdDBGFilter_Click();
    if (m_built) {
        txtDBGFilter->INIT(QLatin1String(kFilterHistory));
        txtDBGNetC->INIT(QLatin1String(kClientHistory));
        return;
    }
    // Loaded now, as the inputs would load them, and handed to them when built.
    m_filterHistory.load(QLatin1String(kFilterHistory));
    m_clientHistory.load(QLatin1String(kClientHistory));
    m_historiesLoaded = true;
}

void MonitorPage::setLink(CSpooling *link)
{
    m_link = link;
    m_relay->setLink(link);
}

void MonitorPage::setMonitorFont(const MonitorFont &font)
{
    m_log.setMonitorFont(font);
}

bool MonitorPage::isAnalyzeEnabled() const
{
    return m_analyze;
}

void MonitorPage::appendSentLine(const QString &strCmd, bool fRemote)
{
    if (const auto piece = m_log.sentLine(strCmd, fRemote))
        queue(*piece);
}

void MonitorPage::appendNotice(const QString &text)
{
    if (const auto piece = m_log.noticeLine(text))
        queue(*piece);
}

void MonitorPage::appendReceivedLine(const QString &strLine)
{
    MonitorLog::Received received = m_log.receivedLine(strLine);
    if (!received.piece)
        return;
    if (received.clearLog) {
        // The log is emptied whole, the line just appended included: what waits
        // to be drawn goes with it.
        m_pending.clear();
        m_clearPending = true;
        if (!m_flushTimer->isActive())
            m_flushTimer->start();
        return;
    }
    queue(*received.piece);
}

const QTextCharFormat &MonitorPage::formatFor(const QColor &colour, const QFont &font)
{
    if (colour != m_lastColour || font != m_lastFont || !m_lastFormat.isValid()) {
        m_lastColour = colour;
        m_lastFont = font;
        m_lastFormat = QTextCharFormat();
        m_lastFormat.setForeground(colour);
        m_lastFormat.setFont(font);
    }
    return m_lastFormat;
}

void MonitorPage::queue(const MonitorPiece &piece)
{
    const QTextCharFormat &format = formatFor(piece.colour, piece.font);
    // Pieces that look alike are drawn as one.
    if (!m_pending.isEmpty() && m_pending.last().format == format)
        m_pending.last().text += piece.text;
    else
        m_pending.append({piece.text, format});
    if (!m_flushTimer->isActive())
        m_flushTimer->start();
}

void MonitorPage::flush()
{
    m_flushTimer->stop();
    if (m_clearPending) {
        m_clearPending = false;
        if (txtBuf)
            txtBuf->clear();
        else
            m_document->clear();
    }
    if (!m_pending.isEmpty()) {
        QTextCursor cursor(m_document);
        cursor.movePosition(QTextCursor::End);
        cursor.beginEditBlock();
        for (const PendingPiece &piece : std::as_const(m_pending))
            cursor.insertText(piece.text, piece.format);
        cursor.endEditBlock();
        m_pending.clear();
        if (txtBuf) {
            QScrollBar *scrollBar = txtBuf->verticalScrollBar();
            scrollBar->setValue(scrollBar->maximum());
        }
    }
    if (lblDBGLineCount)
        lblDBGLineCount->setText(QString::number(m_log.lineCount()));
}

void MonitorPage::cmdClearBuffer_Click()
{
    m_pending.clear();
    m_clearPending = true;
    m_log.clear();
    flush();
}

void MonitorPage::cmdDBGFont_Click()
{
    const std::optional<QFont> chosen = m_chooseFont(this, m_log.monitorFont().toFont());
    if (!chosen)
        return;
    const MonitorFont font = MonitorFont::fromFont(*chosen);
    m_log.setMonitorFont(font);

    SettingsFile settings(SettingsLocation::settingFile(m_settingsFolder));
    const QString section = QLatin1String(MonitorFont::kSection);
    settings.setValue(section, QLatin1String(MonitorFont::kNameKey), font.FontName);
    settings.setValue(section, QLatin1String(MonitorFont::kSizeKey), font.FontSize);
    settings.setValue(section, QLatin1String(MonitorFont::kBoldKey), font.FontBold);
    emit monitorFontChanged(font);
}

QString MonitorPage::qtFileFilter(const QString &filterText)
{
    // Descriptions and patterns alternate; Qt reads the patterns from the
    // parentheses of each description, or wants them added when missing.
    const QStringList parts = filterText.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString &description = parts.at(i);
        const QString patterns = QString(parts.at(i + 1)).replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << (description.contains(QLatin1Char('('))
                ? description
                : description + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

void MonitorPage::cmdDBGSaveFile_Click()
{
    const QString fileName
        = m_chooseSaveFile(this, QStringLiteral("Save To File"), qtFileFilter(QLatin1String(kSaveFilter)));
    if (fileName.isEmpty())
        return;

    const QString extension = fileName.right(3).toUpper();
    const bool richText = extension == QLatin1String("RTF");
    if (!richText && extension != QLatin1String("TXT")) {
        m_messages.show(this,
            {QStringLiteral("File format is not known!!"), QStringLiteral("info"), QMessageBox::Information,
                QMessageBox::Ok});
        return;
    }
    if (QFileInfo::exists(fileName)) {
        const QMessageBox::StandardButton answer = m_messages.show(this,
            {fileName + QStringLiteral("  already exists.") + QLatin1Char('\n')
                    + QStringLiteral("Do you want to replace it?"),
                QString(), QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No, QMessageBox::No});
        if (answer != QMessageBox::Yes)
            return;
    }
    writeLog(fileName, richText);
}

bool MonitorPage::writeLog(const QString &fileName, bool richText)
{
    flush();
    // Written beside and then put in place, so a failed write leaves the old file whole.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray data = richText ? RtfWriter().write(*m_document) : plainText(*m_document);
    if (file.write(data) != data.size())
        return false;
    return file.commit();
}

QByteArray MonitorPage::plainText(const QTextDocument &document)
{
    // The traffic as it came: one byte per character in the wire's Latin-1, and
    // every line ended by CR LF. Each line is a block; the empty block after the
    // last line break is no line. Blocks give their text raw, where the
    // document's own plain text would turn no-break spaces into blanks.
    QByteArray out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.next().isValid() || block.length() > 1)
            out += block.text().toLatin1() + "\r\n";
    }
    return out;
}

void MonitorPage::cmdDBGSearch_Click()
{
    ensureBuilt();
    flush();
    const QString text = txtDBGSend->text();
    if (text != m_lastSearch) {
        m_searchStart = 0;
        m_lastSearch = text;
    }
    const QTextCursor found = text.isEmpty() ? QTextCursor() : m_document->find(text, m_searchStart);
    if (found.isNull()) {
        m_searchStart = 0;
        m_lastSearch.clear();
        return;
    }
    txtBuf->setTextCursor(found);
    m_lastSearch = text;
    m_searchStart = found.selectionStart() + 1;
    txtBuf->setFocus();
}

void MonitorPage::txtDBGSend_Change()
{
    m_sendIsDefault = true;
    cmdSEND->setDefault(true);
}

void MonitorPage::cmdSEND_Click()
{
    ensureBuilt();
    const QString text = txtDBGSend->text();
    if (m_link)
        m_link->SendCommand(text, false);
    else
        appendSentLine(text, false);
    if (chkDBGErase->isChecked())
        txtDBGSend->clear();
}

void MonitorPage::cmdDBGAnalyze_Click()
{
    ensureBuilt();
    const QString text = txtDBGSend->text();
    if (m_link) {
        m_link->AnalyzeCmd(text, true);
    } else {
        if (m_relay->isConnected())
            m_relay->send(text.toLatin1() + '\r');
        appendReceivedLine(text);
    }
}

std::optional<QByteArray> MonitorPage::binaryBytes(const QString &text)
{
    const auto items = FieldCodecs::splitString(text, QLatin1Char(','));
    if (!items)
        return std::nullopt;

    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
    static const QRegularExpression hexadecimal(QStringLiteral("^[0-9A-Fa-f]+$"));
    QByteArray bytes;
    for (const QString &raw : *items) {
        if (raw.isEmpty() || raw == QLatin1String(FieldCodecs::kEndMarker))
            break;
        const QString item = raw.trimmed();
        bool ok = false;
        int value = -1;
        if (decimal.match(item).hasMatch())
            value = item.toInt(&ok, 10);
        else if (hexadecimal.match(item).hasMatch())
            value = item.toInt(&ok, 16);
        if (!ok || value < 0 || value > 255)
            return std::nullopt;
        bytes.append(char(value));
    }
    return bytes;
}

void MonitorPage::cmdDBGBinary_Click()
{
    ensureBuilt();
    const auto bytes = binaryBytes(txtDBGSend->text());
    if (bytes && !bytes->isEmpty() && m_link)
        m_link->writeRaw(*bytes);
}

void MonitorPage::cmdDBGFilter_Click()
{
    if (!m_built) {
        const QString text = unbuiltInputText(m_filterHistory);
        m_log.setFilter(text);
        m_filterHistory.commit(text);
        return;
    }
    m_log.setFilter(txtDBGFilter->text());
    txtDBGFilter->WriteToReg();
}

void MonitorPage::tabDBG_Click(int index)
{
    txtDBGFilter->setVisible(index == TabFilter);
    txtDBGNetC->setVisible(index == TabNetwork);
}

void MonitorPage::showRelayState()
{
    if (!m_built)
        return;
    cmdDBGListenStart->setText(m_relay->serverCaption());
    cmdDBGListenStart->setProperty("state", m_relay->serverState());
    cmdDBGConnect->setText(m_relay->clientCaption());
    cmdDBGConnect->setProperty("state", m_relay->clientState());
    shpDBG_LED->setColour(m_relay->lampColour());
    shpDBG_LED->setVisible(m_relay->isLampVisible());
}
