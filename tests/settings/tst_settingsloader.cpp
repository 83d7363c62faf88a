#include <settingsfile.h>
#include <settingsloader.h>

#include <QTemporaryDir>
#include <QTest>

// The program's side of the settings library: creating stores by identifier
// through the run-time loader, and the console's one-handler file access.
class tst_SettingsLoader : public QObject
{
    Q_OBJECT

private slots:
    void createsByIdentifier_data();
    void createsByIdentifier();
    void settingsFileRoundTrip();
    void settingsFileThatCannotBeWritten();
};

void tst_SettingsLoader::createsByIdentifier_data()
{
    QTest::addColumn<QByteArray>("classId");
    QTest::addColumn<QByteArray>("interfaceId");
    QTest::addColumn<QByteArray>("error");
    const QByteArray classId(ostrel::kSettingsStoreClassId), interfaceId(ostrel::kSettingsStoreInterfaceId);
    const QByteArray zero("{00000000-0000-0000-0000-000000000000}");
    QTest::newRow("known class and interface") << classId << interfaceId << QByteArray();
    QTest::newRow("unknown class") << zero << interfaceId << "The settings library has no class " + zero + ".";
    QTest::newRow("interface as class") << interfaceId << interfaceId
                                        << "The settings library has no class " + interfaceId + ".";
    QTest::newRow("unknown interface") << classId << zero
                                       << "The settings class does not offer the interface " + zero + ".";
    QTest::newRow("no identifiers") << QByteArray() << QByteArray()
                                    << QByteArray("The settings library has no class .");
}

void tst_SettingsLoader::createsByIdentifier()
{
    QFETCH(QByteArray, classId);
    QFETCH(QByteArray, interfaceId);
    QFETCH(QByteArray, error);
    const auto created = SettingsLoader::create(
        classId.isNull() ? nullptr : classId.constData(), interfaceId.isNull() ? nullptr : interfaceId.constData());
    QCOMPARE(created.errorText.toLatin1(), error);
    QCOMPARE(created.store != nullptr, error.isEmpty());
}

void tst_SettingsLoader::settingsFileRoundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Data.xml"));
    {
        SettingsFile file(path);
        QVERIFY2(file.isOpen(), qPrintable(file.errorText()));
        QVERIFY(file.setValue(QStringLiteral("IPSave"), QStringLiteral("ip0"), QStringLiteral(" 10.0.0.1 ")));
        QVERIFY(!file.setValue(QStringLiteral("it's"), QStringLiteral("ip0"), QStringLiteral("x")));
        QVERIFY(file.errorText().endsWith(QStringLiteral("\r\nSaveSetting")));
    }
    SettingsFile file(path);
    QCOMPARE(file.value(QStringLiteral("IPSave"), QStringLiteral("ip0")), QStringLiteral(" 10.0.0.1 "));
    QCOMPARE(file.value(QStringLiteral("IPSave"), QStringLiteral("ip1")), QString());
}

void tst_SettingsLoader::settingsFileThatCannotBeWritten()
{
    QTemporaryDir dir;
    SettingsFile file(dir.filePath(QStringLiteral("missing/Setting.xml")));
    QVERIFY(!file.isOpen());
    QVERIFY(file.errorText().contains(QStringLiteral("missing/Setting.xml")));
    QCOMPARE(file.value(QStringLiteral("SKIN"), QStringLiteral("num")), QString());
    QVERIFY(!file.setValue(QStringLiteral("SKIN"), QStringLiteral("num"), QStringLiteral("2")));
}

QTEST_GUILESS_MAIN(tst_SettingsLoader)
#include "tst_settingsloader.moc"
