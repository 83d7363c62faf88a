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
    QTest::addColumn<QString>("error");
    QTest::newRow("known class and interface")
        << QByteArray(ostrel::kSettingsStoreClassId) << QByteArray(ostrel::kSettingsStoreInterfaceId) << QString();
    QTest::newRow("unknown class") << QByteArray("{00000000-0000-0000-0000-000000000000}")
                                   << QByteArray(ostrel::kSettingsStoreInterfaceId)
                                   << "The settings library has no class {00000000-0000-0000-0000-000000000000}.";
    QTest::newRow("interface as class") << QByteArray(ostrel::kSettingsStoreInterfaceId)
                                        << QByteArray(ostrel::kSettingsStoreInterfaceId)
                                        << QStringLiteral("The settings library has no class %1.")
                                               .arg(QLatin1String(ostrel::kSettingsStoreInterfaceId));
    QTest::newRow("unknown interface") << QByteArray(ostrel::kSettingsStoreClassId) << QByteArray("IUnknown")
                                       << "The settings class does not offer the interface IUnknown.";
}

void tst_SettingsLoader::createsByIdentifier()
{
    QFETCH(QByteArray, classId);
    QFETCH(QByteArray, interfaceId);
    QFETCH(QString, error);
    const auto created = SettingsLoader::create(classId.constData(), interfaceId.constData());
    QCOMPARE(created.errorText, error);
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
