#pragma once

#include <settingsfile.h>

#include <QString>

#include <optional>

// The connection choices kept in section "IPConfig" of Setting.xml. The
// connection dialog restores the last choices from them; the connection flow
// stores the choices of an accepted dialog, each mode its own keys. One instance
// works on one file for one handler, as every user of the settings does.
class ConnectionSettings final
{
public:
    static constexpr char kSection[] = "IPConfig";
    // The rate list position an empty "CBitRate" selects ("115200").
    static constexpr int kDefaultRateIndex = 3;

    // The modes "LastCon" keeps.
    enum class Mode { Serial = 0, Net = 1, Modem = 2 };

    // The keys as the dialog reads them. Numbers are read as every stored number
    // is ("&H3" is 3, "1.6" rounds to 2); a list position that no 16-bit number
    // holds is absent, and the dialog then leaves its list as it was.
    struct Stored
    {
        Mode lastConnection = Mode::Serial; // "LastCon": 0 serial, 1 TCP, any other value modem
        std::optional<int> serialPort; // "CComNum", a list position; empty reads as 0
        std::optional<int> serialRate; // "CBitRate", a list position; kDefaultRateIndex when empty
        std::optional<int> modemPort; // "MComNum" minus 1, a list position; empty gives -1, no selection
        std::optional<int> modemRate; // "MBitRate", a list position; empty reads as 0
        bool server = false; // "server": any number but 0 sets it
        bool login = false; // "login", the same
        QString unitID; // "unitID": its number in decimal, "0" when empty
        QString phone; // "MPhone"
        QString netPort; // "NetPort"; the default port when blank
    };

    explicit ConnectionSettings(const QString &settingFile);

    // Reads every key; "RecMode" is read as well, to no effect.
    Stored load();

    // The writers of the connection flow, each writing its keys in this order.
    // Once a write has failed nothing more is written, and failure() says why.
    // "RecMode", written for every closed dialog.
    void storeReceiveMode(qint16 receivingMode);
    // "LastCon" 0, "CBitRate" = rateIndex, "CComNum" = port - 1.
    void storeSerial(const QString &rateIndex, qint16 port);
    // "LastCon" 2, "MBitRate" = rateIndex, "MComNum" = port, "MPhone".
    void storeModem(const QString &rateIndex, qint16 port, const QString &phone);
    // "LastCon" 1, "NetPort", "server", "login", "unitID".
    void storeNet(const QString &port, const QString &server, const QString &login, const QString &unitID);

    // Why a write failed: the store's error text, or the file's path when the
    // store gave none. Empty while every write succeeded.
    QString failure() const { return m_failure; }

private:
    QString value(const char *key);
    void store(const char *key, const QString &value);

    SettingsFile m_file;
    QString m_failure;
};
