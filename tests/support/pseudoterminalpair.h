#pragma once

#include <QProcess>
#include <QString>

// Two connected pseudo terminals made by socat, for the tests of serial links:
// the devices appear as the links "a" and "b" in a folder and go away with the
// pair (or with stop(), as when an adapter is pulled out). socat's own log is
// kept beside them, for when a test fails.
class PseudoTerminalPair
{
public:
    explicit PseudoTerminalPair(const QString &folder);
    ~PseudoTerminalPair();

    PseudoTerminalPair(const PseudoTerminalPair &) = delete;
    PseudoTerminalPair &operator=(const PseudoTerminalPair &) = delete;

    // Starts socat and waits for both devices; false, with errorText(), when
    // socat is missing or the devices do not appear.
    bool start();
    // Ends socat: both devices go away.
    bool stop();

    QString first() const { return m_first; }
    QString second() const { return m_second; }
    QString errorText() const { return m_errorText; }

private:
    QString m_folder;
    QString m_first;
    QString m_second;
    QString m_errorText;
    QProcess m_socat;
};
