#pragma once

// Shared by the link's test programs: recording stand-ins for the owner's
// services, and helpers for a loopback "gateway".

#include "cspooling.h"
#include "fieldcodecs.h"
#include "ilinkmonitor.h"
#include "ilinkowner.h"
#include "ilinkprogress.h"
#include "ilinktoolbar.h"
#include "ireplysink.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <utility>

// Every service of the owner in one object; each call is kept, in order, in
// events, so tests can check both what was asked and when.
class RecordingServices final : public ILinkOwner,
                                public ILinkProgress,
                                public ILinkToolbar,
                                public ILinkMonitor,
                                public IReplySink
{
public:
    QString serverFlagValue = QStringLiteral("0");
    bool analyzeEnabled = true;

    QStringList events;
    QStringList receivedLines;
    QList<std::pair<QString, bool>> sentLines;
    QStringList openErrors;
    QStringList panelTexts;
    QStringList progressStarts;
    QStringList captions;
    int serverStarts = 0;
    QList<std::pair<QString, FieldCodecs::SplitResult>> records;
    QStringList versions;

    CSpooling::Services services() { return {this, this, this, this, nullptr, this}; }

    // Adds the link's own signals to events.
    void watch(CSpooling &link)
    {
        QObject::connect(&link, &CSpooling::onSplAction, &link,
            [this](qint32 code) { events << QStringLiteral("spl:%1").arg(code); });
        QObject::connect(&link, &CSpooling::WriteResult, &link,
            [this](bool isOK) { events << QStringLiteral("WriteResult:%1").arg(isOK); });
    }

    int count(const QString &event) const { return events.count(event); }

    QString serverFlag() const override { return serverFlagValue; }
    void showOpenError(const QString &description) override
    {
        openErrors << description;
        events << QStringLiteral("openError");
    }
    void setPanelText(const QString &sText) override
    {
        panelTexts << sText;
        events << QStringLiteral("panel:") + sText;
    }
    void StartServer() override
    {
        ++serverStarts;
        events << QStringLiteral("StartServer");
    }
    void StartProgress(const QString &sKey) override
    {
        progressStarts << sKey;
        events << QStringLiteral("progress:") + sKey;
    }
    void setButtonCaption(const QString &key, const QString &sCaption) override
    {
        captions << key + QLatin1Char('=') + sCaption;
        events << QStringLiteral("caption:") + sCaption;
    }
    void appendSentLine(const QString &strCmd, bool fRemote) override
    {
        sentLines.append({strCmd, fRemote});
        events << QStringLiteral("sent:") + strCmd;
    }
    void appendReceivedLine(const QString &strLine) override
    {
        receivedLines << strLine;
        events << QStringLiteral("received:") + strLine;
    }
    bool isAnalyzeEnabled() const override { return analyzeEnabled; }
    void applyRecord(const QString &code, const FieldCodecs::SplitResult &fields) override
    {
        records.append({code, fields});
        events << QStringLiteral("record:") + code;
    }
    void setVersion(const QString &text) override
    {
        versions << text;
        events << QStringLiteral("version");
    }
    void setWriteOK(bool isOK) override { events << QStringLiteral("setWriteOK:%1").arg(isOK); }
};

namespace LinkTest {

constexpr int kWaitMs = 5000;

// A TCP port on which nothing listens right now.
inline quint16 freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::Any, 0))
        return 0;
    return probe.serverPort();
}

// Brings the link up as a client of gateway and gives the gateway's end of the
// connection, or null when it did not come up.
inline QTcpSocket *connectClient(CSpooling &link, QTcpServer &gateway)
{
    if (!gateway.isListening() && !gateway.listen(QHostAddress::LocalHost, 0))
        return nullptr;
    link.InitNET(QStringLiteral("127.0.0.1"), QString::number(gateway.serverPort()));
    link.FillBuffer();
    if (!QTest::qWaitFor([&] { return gateway.hasPendingConnections() && link.isConnected(); }, kWaitMs))
        return nullptr;
    return gateway.nextPendingConnection();
}

// Writes data and waits until the link has taken all of it, so that each call
// arrives at the link as a chunk of its own.
inline bool sendChunk(CSpooling &link, QIODevice &peer, const QByteArray &data)
{
    const qint64 target = link.receivedByteCount() + data.size();
    if (peer.write(data) != data.size())
        return false;
    if (auto *socket = qobject_cast<QAbstractSocket *>(&peer))
        socket->flush();
    return QTest::qWaitFor([&] { return link.receivedByteCount() >= target; }, kWaitMs);
}

// Reads from peer until it holds at least size bytes.
inline QByteArray readAtLeast(QIODevice &peer, qsizetype size)
{
    QByteArray data;
    (void)QTest::qWaitFor(
        [&] {
            data += peer.readAll();
            return data.size() >= size;
        },
        kWaitMs);
    return data;
}

} // namespace LinkTest
