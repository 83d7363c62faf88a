#pragma once

#include <QLatin1StringView>
#include <QtGlobal>

#include <array>

// The words of the gateway's line protocol and the link's defaults, shared by
// the link, the relay, the write queue, the connection flow and the dialog.
namespace Protocol {

// Every line, either way, ends with CR.
inline constexpr char kLineEnd = '\r';

// Commands the console sends.
inline constexpr QLatin1StringView kLogOn("CPW"); // followed at once by the password; also asks for a fresh read
inline constexpr QLatin1StringView kRestart("RBT");
inline constexpr QLatin1StringView kClose("SRV:CLOSE"); // told to a gateway on TCP before the console closes

// Lines the gateway sends, recognised by their first three characters.
inline constexpr QLatin1StringView kAccepted("OK"); // the whole line
inline constexpr QLatin1StringView kRefused("ERR"); // every line that starts with it
inline constexpr QLatin1StringView kVersion("VER"); // followed by the version text
inline constexpr std::array<QLatin1StringView, 8> kRecordCodes {QLatin1StringView("FXO"), QLatin1StringView("FXS"),
    QLatin1StringView("GSM"), QLatin1StringView("NET"), QLatin1StringView("SMS"), QLatin1StringView("PRF"),
    QLatin1StringView("LST"), QLatin1StringView("GWP")};

// How the console reaches the gateway: the link's ConnectMode and the dialog's g_Mode.
inline constexpr QLatin1StringView kModeSerial("COM");
inline constexpr QLatin1StringView kModeNet("NET");
inline constexpr QLatin1StringView kModeModem("MDM"); // the serial transport on a modem's port
inline constexpr QLatin1StringView kModeCancelled("ERR"); // the dialog was closed without OK

// Defaults of a TCP link.
inline constexpr char kDefaultHost[] = "192.168.0.15";
inline constexpr qint32 kDefaultPort = 4001;
inline constexpr QLatin1StringView kDefaultPortText("4001");

// Serial settings: the rate, then the framing that follows every rate.
inline constexpr QLatin1StringView kSerialFraming(",n,8,1");
inline constexpr QLatin1StringView kDefaultSerialSettings("115200,n,8,1");

} // namespace Protocol
