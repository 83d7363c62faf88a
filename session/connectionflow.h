#pragma once

#include "iqueuequestions.h"

#include <connectionchoice.h>
#include <connectionsettings.h>
#include <ilinkowner.h>
#include <ilinkprogress.h>
#include <ilinktoolbar.h>

#include <QObject>
#include <QString>

#include <functional>

class CSpooling;
class OperationClock;
class WriteQueue;

// The console's way from "Connect" to a logged-on gateway and back: asks how to
// reach the gateway (the connection dialog in the window), stores the choices,
// opens the link, watches it come up on the steps of the "connecting" operation,
// logs on through the write queue, and offers Retry or Cancel on every failure.
// The gateway session owns one; the flow listens to the link and to the
// operation clock itself, asks its questions through the session's questions
// interface and tells the connect button's caption by signals.
class ConnectionFlow : public QObject, public ILinkOwner, public ILinkProgress, public ILinkToolbar
{
    Q_OBJECT

public:
    // Asks how to reach the gateway (the window shows the connection dialog
    // modally) and gives the choices; g_Mode "ERR" when the operator cancelled.
    // An accepted dialog has already committed its input histories.
    using DialogRunner = std::function<ConnectionChoice()>;

    struct Options
    {
        // Folder of Setting.xml; empty means the console's settings folder.
        QString settingsFolder;
        // Empty means nothing can be chosen: a connection with the dialog is
        // cancelled at once, and only one reopened as prepared goes ahead.
        DialogRunner chooseConnection;
        // Empties the number list and the prefix table before the log-on fills them again.
        std::function<void()> clearTables;
        // Whether a connection's choices are written to Setting.xml, for the
        // dialog's next opening. A program that connects with choices of its own
        // keeps none, and writes nothing at each connection.
        bool keepChoices = true;
    };

    static inline const QString kSection = QString::fromLatin1(ConnectionSettings::kSection);
    static inline const QString kConnectKey = QStringLiteral("connect");
    static inline const QString kDisconnectKey = QStringLiteral("disconnect");
    static constexpr qint16 kSerialInBuffer = 1024;
    static constexpr qint16 kSerialOutBuffer = 512;

    // The collaborators are not owned and must outlive the flow. The flow
    // connects the link's onSplAction and the clock's progressTime and
    // progressTimeEnd to its handlers; it passes the write steps (tCode 3) on to
    // the queue, so nothing else may connect progressTime to the queue.
    ConnectionFlow(CSpooling &link, OperationClock &progress, WriteQueue &queue, IQueueQuestions &questions,
        const Options &options, QObject *parent = nullptr);

    // Connects or disconnects: sKey "connect" forces a connection, "disconnect"
    // a disconnection, anything else toggles on fLinkActive. fShowDialog false
    // reopens the link as it was last prepared, without the dialog.
    void ConnectChange(const QString &sKey = QString(), bool fShowDialog = true);
    // Connects with choices given here instead of the dialog's: stores them,
    // prepares the link and opens it, as an accepted dialog does. Does nothing
    // while a connection is active; false when nothing was opened.
    bool connectWith(const ConnectionChoice &choice);
    // Logs on with g_Pass as a one-entry write, which makes the gateway send its
    // whole configuration. Does nothing unless fLinkActive.
    void RecievingChange();

    // Handlers of the link and of the operation clock.
    void objSpool_onSplAction(qint32 splCode);
    void ucProgress_progressTime(qint16 tCode, qint16 pIndex);
    void ucProgress_progressTimeEnd(qint32 tCode);

    QString settingFile() const;

    // True from the moment a connection is requested until the console disconnects.
    bool fLinkActive = false;
    // Mode of the last closed dialog: "COM", "NET", "MDM", or "ERR" when cancelled.
    QString connMode;
    QString g_Pass;
    // "Login to Master PC": "1" keeps the console from logging on by itself.
    QString g_Login = QStringLiteral("0");
    // "Work as SERVER ": "1" listens for the gateway instead of connecting out.
    QString g_Server = QStringLiteral("0");
    QString g_UnitID;
    QString g_OPT_MDM;

    // ILinkOwner
    QString serverFlag() const override { return g_Server; }
    void showOpenError(const QString &description) override;
    // ILinkProgress
    void setPanelText(const QString &sText) override;
    void StartServer() override;
    void StartProgress(const QString &sKey) override;
    // ILinkToolbar
    void setButtonCaption(const QString &key, const QString &sCaption) override;

signals:
    // The caption of a toolbar button ("connect": "Connect" or "Disconnect").
    void buttonCaptionChanged(const QString &key, const QString &caption);
    // A toolbar button to be enabled or disabled.
    void buttonEnabledChanged(const QString &key, bool enabled);

private:
    enum class Answer { Retry, Cancel };

    // Takes the dialog's choices over, stores them and prepares the link. False
    // when the operator cancelled or the choices could not be stored.
    bool takeOverChoice(const ConnectionChoice &choice);
    void openLink();
    void disconnectLink();
    void retryConnecting();
    void reportSettingsFailure(const QString &errorText);
    Answer askRetry(const QString &text);
    void tell(const QString &text, const QString &title, QueueQuestion::Icon icon);
    bool isServerMode() const;

    CSpooling &m_link;
    OperationClock &m_progress;
    WriteQueue &m_queue;
    IQueueQuestions &m_questions;
    QString m_settingsFolder;
    DialogRunner m_chooseConnection;
    std::function<void()> m_clearTables;
    bool m_keepChoices = true;
    // Set while the dialog is open: its nested event loop must not open another.
    bool m_choosing = false;
    // Set while a Retry/Cancel question is open: its answer decides what comes
    // next, so failures meanwhile only close the link.
    bool m_askingRetry = false;
};
