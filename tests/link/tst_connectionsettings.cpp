// The connection choices in a real Setting.xml: each mode's keys written in
// their order, and read back by a fresh instance as the dialog reads them.

#include "connectionsettings.h"
#include "isettingsstore.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

using Store = std::function<void(ConnectionSettings &)>;

QString position(std::optional<int> index)
{
    return index ? QString::number(*index) : u"none"_s;
}

QStringList describe(const ConnectionSettings::Stored &stored)
{
    return {u"mode=%1"_s.arg(int(stored.lastConnection)), u"serialPort="_s + position(stored.serialPort),
        u"serialRate="_s + position(stored.serialRate), u"modemPort="_s + position(stored.modemPort),
        u"modemRate="_s + position(stored.modemRate), u"server=%1"_s.arg(stored.server),
        u"login=%1"_s.arg(stored.login), u"unitID="_s + stored.unitID, u"phone="_s + stored.phone,
        u"netPort="_s + stored.netPort};
}

} // namespace

class tst_ConnectionSettings : public QObject
{
    Q_OBJECT

private slots:
    void storeThenLoad_data();
    void storeThenLoad();
};

void tst_ConnectionSettings::storeThenLoad_data()
{
    QTest::addColumn<Store>("store");
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<QStringList>("loaded");

    QTest::newRow("serial") << Store([](ConnectionSettings &s) { s.storeSerial(u"1"_s, 5); })
                            << QStringList {u"RecMode=0"_s, u"LastCon=0"_s, u"CBitRate=1"_s, u"CComNum=4"_s}
                            << QStringList {u"mode=0"_s, u"serialPort=4"_s, u"serialRate=1"_s, u"modemPort=-1"_s,
                                   u"modemRate=0"_s, u"server=0"_s, u"login=0"_s, u"unitID=0"_s, u"phone="_s,
                                   u"netPort=4001"_s};
    QTest::newRow("modem") << Store([](ConnectionSettings &s) {
        s.storeModem(u"2"_s, 3, u"0049 (30) 12'34"_s);
    }) << QStringList {u"RecMode=0"_s, u"LastCon=2"_s, u"MBitRate=2"_s, u"MComNum=3"_s, u"MPhone=0049 (30) 12'34"_s}
                           << QStringList {u"mode=2"_s, u"serialPort=0"_s, u"serialRate=3"_s, u"modemPort=2"_s,
                                  u"modemRate=2"_s, u"server=0"_s, u"login=0"_s, u"unitID=0"_s,
                                  u"phone=0049 (30) 12'34"_s, u"netPort=4001"_s};
    QTest::newRow("TCP") << Store([](ConnectionSettings &s) {
        s.storeNet(u"5050"_s, u"1"_s, u"1"_s, u"07"_s);
    }) << QStringList {u"RecMode=0"_s, u"LastCon=1"_s, u"NetPort=5050"_s, u"server=1"_s, u"login=1"_s, u"unitID=07"_s}
                         << QStringList {u"mode=1"_s, u"serialPort=0"_s, u"serialRate=3"_s, u"modemPort=-1"_s,
                                u"modemRate=0"_s, u"server=1"_s, u"login=1"_s, u"unitID=7"_s, u"phone="_s,
                                u"netPort=5050"_s};
    QTest::newRow("TCP with a blank port and flags as numbers")
        << Store([](ConnectionSettings &s) { s.storeNet(u"  "_s, u"&H1"_s, u"0"_s, u"-0"_s); })
        << QStringList {u"RecMode=0"_s, u"LastCon=1"_s, u"NetPort=  "_s, u"server=&H1"_s, u"login=0"_s, u"unitID=-0"_s}
        << QStringList {u"mode=1"_s, u"serialPort=0"_s, u"serialRate=3"_s, u"modemPort=-1"_s, u"modemRate=0"_s,
               u"server=1"_s, u"login=0"_s, u"unitID=0"_s, u"phone="_s, u"netPort=4001"_s};
}

void tst_ConnectionSettings::storeThenLoad()
{
    QFETCH(Store, store);
    QFETCH(QStringList, written);
    QFETCH(QStringList, loaded);

    QTemporaryDir dir;
    const QString path = dir.filePath(u"Setting.xml"_s);
    {
        ConnectionSettings settings(path);
        settings.storeReceiveMode(0);
        store(settings);
        QCOMPARE(settings.failure(), QString());
    }

    SettingsFile file(path);
    QVERIFY2(file.isOpen(), qPrintable(file.errorText()));
    std::vector<std::string> keys;
    std::vector<std::string> values;
    QVERIFY(file.store()->GetSection(ConnectionSettings::kSection, keys, values).ok());
    QStringList inFile;
    for (std::size_t i = 0; i < keys.size(); ++i)
        inFile << QString::fromStdString(keys[i] + '=' + values[i]);
    QCOMPARE(inFile, written);

    QCOMPARE(describe(ConnectionSettings(path).load()), loaded);
}

QTEST_GUILESS_MAIN(tst_ConnectionSettings)
#include "tst_connectionsettings.moc"
