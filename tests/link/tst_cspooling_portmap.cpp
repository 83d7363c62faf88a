// The serial port map read from a real Setting.xml through the settings library.

#include "serialportmap.h"
#include "settingsfile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_CSpoolingPortMap : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void readsMappedPorts();
    void unreadableFileGivesDefaults();
};

void tst_CSpoolingPortMap::defaults()
{
    SerialPortMap map;
    QCOMPARE(map.devicePath(1), u"/dev/ttyS0"_s);
    QCOMPARE(map.devicePath(20), u"/dev/ttyS19"_s);
    QCOMPARE(map.devicePath(0), QString());

    map.setDevicePath(4, u"/dev/ttyUSB0"_s);
    QCOMPARE(map.devicePath(4), u"/dev/ttyUSB0"_s);
    map.setDevicePath(4, u"  "_s);
    QCOMPARE(map.devicePath(4), u"/dev/ttyS3"_s);
}

void tst_CSpoolingPortMap::readsMappedPorts()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Setting.xml"_s);
    {
        SettingsFile file(path);
        QVERIFY2(file.isOpen(), qPrintable(file.errorText()));
        QVERIFY(file.setValue(u"COMPorts"_s, u"COM1"_s, u"/dev/ttyUSB0"_s));
        QVERIFY(file.setValue(u"COMPorts"_s, u"COM7"_s, u" /tmp/pty a "_s));
        QVERIFY(file.setValue(u"COMPorts"_s, u"COM9"_s, QString()));
        QVERIFY(file.setValue(u"COMPorts"_s, u"COM20"_s, u"/dev/ttyACM1"_s));
        QVERIFY(file.setValue(u"IPConfig"_s, u"COM2"_s, u"/dev/wrong-section"_s));
    }

    QString error;
    const SerialPortMap map = SerialPortMap::load(path, &error);
    QVERIFY(error.isEmpty());
    QCOMPARE(map.devicePath(1), u"/dev/ttyUSB0"_s);
    QCOMPARE(map.devicePath(2), u"/dev/ttyS1"_s);
    QCOMPARE(map.devicePath(7), u"/tmp/pty a"_s);
    QCOMPARE(map.devicePath(9), u"/dev/ttyS8"_s);
    QCOMPARE(map.devicePath(20), u"/dev/ttyACM1"_s);
    dir.setAutoRemove(!QTest::currentTestFailed());
}

void tst_CSpoolingPortMap::unreadableFileGivesDefaults()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"no-such-folder/Setting.xml"_s);
    const SerialPortMap map = SerialPortMap::load(path);
    QCOMPARE(map.devicePath(3), u"/dev/ttyS2"_s);
    QVERIFY(!map.isMapped(3));
}

QTEST_GUILESS_MAIN(tst_CSpoolingPortMap)
#include "tst_cspooling_portmap.moc"
