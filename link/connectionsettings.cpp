#include "connectionsettings.h"

#include "fieldcodecs.h"
#include "protocol.h"

namespace {

// A stored list position; nothing when no 16-bit number holds it.
std::optional<int> storedIndex(const QString &text)
{
    const std::optional<std::int16_t> value = FieldCodecs::toInt16(FieldCodecs::numericValue(text));
    return value ? std::optional<int>(*value) : std::nullopt;
}

// A stored flag: any number but 0 sets it.
bool storedFlag(const QString &text)
{
    return FieldCodecs::numericValue(text) != 0;
}

QString decimalText(double value)
{
    if (value == 0)
        return QStringLiteral("0"); // also for -0
    return QString::number(value, 'g', 15);
}

} // namespace

ConnectionSettings::ConnectionSettings(const QString &settingFile)
    : m_file(settingFile)
{ }

ConnectionSettings::Stored ConnectionSettings::load()
{
    Stored stored;
    const double lastConnection = FieldCodecs::numericValue(value("LastCon"));
    stored.lastConnection = lastConnection == 0 ? Mode::Serial : (lastConnection == 1 ? Mode::Net : Mode::Modem);

    stored.serialPort = storedIndex(value("CComNum"));
    const QString serialRate = value("CBitRate");
    stored.serialRate = serialRate.isEmpty() ? std::optional<int>(kDefaultRateIndex) : storedIndex(serialRate);

    const std::optional<int> modemPort = storedIndex(value("MComNum"));
    stored.modemPort = modemPort ? std::optional<int>(*modemPort - 1) : std::nullopt;
    stored.modemRate = storedIndex(value("MBitRate"));

    stored.server = storedFlag(value("server"));
    stored.login = storedFlag(value("login"));
    stored.unitID = decimalText(FieldCodecs::numericValue(value("unitID")));

    value("RecMode");
    stored.phone = value("MPhone");
    stored.netPort = value("NetPort");
    if (stored.netPort.trimmed().isEmpty())
        stored.netPort = Protocol::kDefaultPortText;
    return stored;
}

void ConnectionSettings::storeReceiveMode(qint16 receivingMode)
{
    store("RecMode", QString::number(receivingMode));
}

void ConnectionSettings::storeSerial(const QString &rateIndex, qint16 port)
{
    store("LastCon", QStringLiteral("0"));
    store("CBitRate", rateIndex);
    store("CComNum", QString::number(port - 1));
}

void ConnectionSettings::storeModem(const QString &rateIndex, qint16 port, const QString &phone)
{
    store("LastCon", QStringLiteral("2"));
    store("MBitRate", rateIndex);
    store("MComNum", QString::number(port));
    store("MPhone", phone);
}

void ConnectionSettings::storeNet(
    const QString &port, const QString &server, const QString &login, const QString &unitID)
{
    store("LastCon", QStringLiteral("1"));
    store("NetPort", port);
    store("server", server);
    store("login", login);
    store("unitID", unitID);
}

QString ConnectionSettings::value(const char *key)
{
    return m_file.value(QLatin1StringView(kSection), QLatin1StringView(key));
}

void ConnectionSettings::store(const char *key, const QString &value)
{
    if (!m_failure.isEmpty())
        return;
    if (!m_file.setValue(QLatin1StringView(kSection), QLatin1StringView(key), value))
        m_failure = m_file.errorText().isEmpty() ? m_file.path() : m_file.errorText();
}
