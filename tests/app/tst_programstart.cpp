// The console program started from a terminal, in a program folder of its own,
// when its preferences cannot be kept: it starts on its defaults and says why on
// standard error, in one line, instead of stopping.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_ProgramStart : public QObject
{
    Q_OBJECT

private slots:
    void startsWithoutSettings_data();
    void startsWithoutSettings();
};

void tst_ProgramStart::startsWithoutSettings_data()
{
    QTest::addColumn<bool>("withLibrary");
    QTest::addColumn<QString>("named");
    QTest::newRow("settings library missing") << false << u"settings library"_s;
    QTest::newRow("Setting.xml unreadable") << true << u"Setting.xml"_s;
}

void tst_ProgramStart::startsWithoutSettings()
{
    QFETCH(bool, withLibrary);
    QFETCH(QString, named);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QDir built(QCoreApplication::applicationDirPath());
    QVERIFY(QFile::copy(built.filePath(u"varlisk"_s), folder.filePath(u"varlisk"_s)));
    if (withLibrary) {
        QVERIFY(QFile::copy(built.filePath(u"libOstrel.so"_s), folder.filePath(u"libOstrel.so"_s)));
        // A folder where the file should be: the store cannot load it.
        QVERIFY(QDir(folder.path()).mkdir(u"Setting.xml"_s));
    }

    QProcess console;
    console.setProgram(folder.filePath(u"varlisk"_s));
    console.setWorkingDirectory(folder.path());
    console.start();
    QVERIFY(console.waitForStarted());
    // Qt may warn on the same stream; the console's own lines begin with its name.
    QString errors;
    const auto ownLines = [&] {
        errors += QString::fromLocal8Bit(console.readAllStandardError());
        return errors.split(u'\n').filter(QRegularExpression(u"^varlisk: "_s));
    };
    QTRY_VERIFY_WITH_TIMEOUT(!ownLines().isEmpty() || console.state() != QProcess::Running, 30000);
    QVERIFY2(console.state() == QProcess::Running, qPrintable(errors));
    const QStringList lines = ownLines();
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.at(0).startsWith(u"varlisk: preferences are not kept, using the defaults: "_s), qPrintable(errors));
    QVERIFY2(lines.at(0).contains(named), qPrintable(errors));
    console.kill();
    console.waitForFinished();
}

QTEST_GUILESS_MAIN(tst_ProgramStart)
#include "tst_programstart.moc"
