#include <settingsloader.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <csignal>
#include <sys/resource.h>

using Store = std::unique_ptr<ostrel::ISettingsStore>;

namespace QTest {
template<> inline char *toString(const std::string &text)
{
    return toString(QString::fromStdString(text));
}
} // namespace QTest

// The settings store reached through the run-time loader, against real files.
class tst_SettingsStore : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString &name = QStringLiteral("Setting.xml")) const { return m_dir->filePath(name); }

    Store open(const QString &name = QStringLiteral("Setting.xml"))
    {
        auto created = SettingsLoader::create();
        if (!created.store)
            qWarning() << created.errorText;
        else if (const auto loaded = created.store->FileName(path(name).toStdString()); !loaded.ok())
            qWarning() << loaded.failure->description.c_str();
        return std::move(created.store);
    }

    static QByteArray contents(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    static void write(const QString &file, const QByteArray &bytes)
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // The element tree of a file as text: NAME(child,child), a leaf's text as NAME[text].

    static QString treeOf(const QString &file)
    {
        QXmlStreamReader xml(contents(file));
        QString tree;
        QString pending;
        bool leaf = false;
        while (!xml.atEnd()) {
            switch (xml.readNext()) {
            case QXmlStreamReader::StartElement:
                if (!leaf && !tree.isEmpty() && !tree.endsWith(QLatin1Char('(')))
                    tree += QLatin1Char(',');
                tree += xml.name();
                tree += QLatin1Char('(');
                pending.clear();
                leaf = true;
                break;
            case QXmlStreamReader::Characters:
                pending += xml.text();
                break;
            case QXmlStreamReader::EndElement:
                if (leaf && !pending.isEmpty()) {
                    tree.chop(1);
                    tree += QLatin1Char('[') + pending + QLatin1Char(']');
                } else if (tree.endsWith(QLatin1Char('('))) {
                    tree.chop(1);
                } else {
                    tree += QLatin1Char(')');
                }
                pending.clear();
                leaf = false;
                break;
            default:
                break;
            }
        }
        if (xml.hasError())
            return QStringLiteral("error: ") + xml.errorString();
        return tree;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void cleanup()
    {
        m_dir->setAutoRemove(!QTest::currentTestFailed());
        m_dir.reset();
    }

    void newFileHoldsSkeleton()
    {
        auto store = open();
        QVERIFY(store);
        QCOMPARE(store->FileName(), path().toStdString());
        QCOMPARE(treeOf(path()), QStringLiteral("INISCHEMA(SECTIONLIST)"));
    }

    void writesExactTreeAndReloads()
    {
        auto store = open();
        QVERIFY(store);
        QCOMPARE(store->SaveSetting("SKIN", "num", "2", false).value, false);
        QCOMPARE(store->SaveSetting("IPConfig", "server", "192.168.0.15", false).value, false);
        QCOMPARE(store->SaveSetting("SKIN", "other", "", false).value, false);
        const auto replaced = store->SaveSetting("SKIN", "num", "3", false);
        QVERIFY(replaced.ok());
        QCOMPARE(replaced.value, true);
        QCOMPARE(treeOf(path()),
            QStringLiteral("INISCHEMA(SECTIONLIST(SECTION(NAME[SKIN],KEYLIST(KEY(NAME[num],VALUE[3]),"
                           "KEY(NAME[other],VALUE))),SECTION(NAME[IPConfig],KEYLIST(KEY(NAME[server],"
                           "VALUE[192.168.0.15])))))"));

        auto fresh = open();
        QCOMPARE(fresh->GetSetting("SKIN", "num", "x").value, "3");
        QCOMPARE(fresh->GetSetting("IPConfig", "server", "").value, "192.168.0.15");
        QCOMPARE(fresh->GetSetting("SKIN", "other", "x").value, "");
        QCOMPARE(fresh->GetSetting("SKIN", "missing", "fallback").value, "fallback");
    }

    void awkwardTextsRoundTrip_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const auto row = [](const char *name, const QString &section, const QString &key, const QString &value) {
            QTest::newRow(name) << section << key << value;
        };
        row("leading and trailing blanks", "S", "k", "  padded  ");
        row("blanks only", "S", "k", "   ");
        row("empty", "S", "k", "");
        row("equals signs", "S", "a=b", "x=y=z");
        row("brackets", "[S]", "[k]", "[v]");
        row("markup", "<S&>", "k\"q\"", "<>&amp;\"");
        row("non-ASCII", QStringLiteral("Größe"), QStringLiteral("ключ"), QStringLiteral("値 ✓ 😀"));
        row("line ends and tabs", "S", "k", "a\r\nb\rc\n\td");
        row("blank names", " ", " ", "v");
    }

    void awkwardTextsRoundTrip()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        {
            auto store = open();
            QVERIFY(store);
            QVERIFY(store->SaveSetting("first", "k", "v", false).ok());
            QVERIFY(store->SaveSetting(section.toStdString(), key.toStdString(), value.toStdString(), false).ok());
        }
        auto fresh = open();
        const auto read = fresh->GetSetting(section.toStdString(), key.toStdString(), "default");
        QVERIFY(read.ok());
        QCOMPARE(QString::fromStdString(read.value), value);
        std::vector<std::string> keys, values;
        QCOMPARE(fresh->GetSection(section.toStdString(), keys, values).value, 1);
        QCOMPARE(QString::fromStdString(keys.at(0)), key);
        QCOMPARE(fresh->GetSetting("first", "k", "").value, "v");
    }

    void matchingIsExact_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        const auto row = [](const char *name, const QString &section, const QString &key) {
            QTest::newRow(name) << section << key;
        };
        row("section case", "skin", "num");
        row("key case", "SKIN", "NUM");
        row("key trailing blank", "SKIN", "num ");
        row("section leading blank", " SKIN", "num");
    }

    void matchingIsExact()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        auto store = open();
        QVERIFY(store->SaveSetting("SKIN", "num", "2", false).ok());
        QCOMPARE(store->GetSetting(section.toStdString(), key.toStdString(), "none").value, "none");
        QCOMPARE(store->SaveSetting(section.toStdString(), key.toStdString(), "5", false).value, false);
        QCOMPARE(store->GetSetting("SKIN", "num", "").value, "2");
    }

    void operationsBeforeFileName()
    {
        auto created = SettingsLoader::create();
        QVERIFY(created.store);
        auto &store = *created.store;
        QCOMPARE(store.FileName(), std::string());
        const auto read = store.GetSetting("S", "k", "default");
        QVERIFY(read.ok());
        QCOMPARE(read.value, std::string());
        QCOMPARE(store.SaveSetting("S", "k", "v", false).value, false);
        QCOMPARE(store.DeleteSetting("S", "k", false).value, false);
        QCOMPARE(store.DeleteSection("S", false).value, false);
        QVERIFY(store.Sync().ok());
        std::vector<std::string> keys {"kept"}, values {"kept", "too"};
        QCOMPARE(store.GetSection("S", keys, values).value, 0);
        QCOMPARE(keys, std::vector<std::string> {"kept"});
        QCOMPARE(values.size(), 2u);
    }

    void apostropheFails_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        const auto row = [](const QString &operation, const QString &section, const QString &key) {
            QTest::addRow("%s, %s/%s", qPrintable(operation), qPrintable(section), qPrintable(key))
                << operation << section << key;
        };
        for (const char *operation : {"GetSetting", "SaveSetting", "DeleteSetting", "GetSection", "DeleteSection"}) {
            row(operation, "it's", "k");
            row(operation, "x' or 'a'='a", "k"); // still a valid path, matching every section
        }
        row("GetSetting", "S", "o'clock");
        row("SaveSetting", "S", "x' or 'a'='a");
    }

    void apostropheFails()
    {
        QFETCH(QString, operation);
        QFETCH(QString, section);
        QFETCH(QString, key);
        auto store = open();
        QVERIFY(store->SaveSetting("S", "k", "kept", false).ok());
        const QByteArray before = contents(path());
        const std::string s = section.toStdString(), k = key.toStdString();
        std::vector<std::string> keys, values;
        std::optional<ostrel::Failure> failure;
        if (operation == "GetSetting")
            failure = store->GetSetting(s, k, "").failure;
        else if (operation == "SaveSetting")
            failure = store->SaveSetting(s, k, "overwritten", false).failure;
        else if (operation == "DeleteSetting")
            failure = store->DeleteSetting(s, k, false).failure;
        else if (operation == "GetSection")
            failure = store->GetSection(s, keys, values).failure;
        else
            failure = store->DeleteSection(s, false).failure;
        QVERIFY(failure);
        QCOMPARE(failure->number, ostrel::kFailureInvalidQuery);
        QCOMPARE(QString::fromStdString(failure->source), operation);
        QVERIFY(QString::fromStdString(failure->description).endsWith(QStringLiteral("\r\n") + operation));
        QVERIFY(failure->description.size() > size_t(operation.size()) + 2);
        QCOMPARE(contents(path()), before);
        QCOMPARE(store->GetSetting("S", "k", "").value, "kept");
    }

    void skipSaveDefersUntilSync()
    {
        {
            auto store = open();
            QVERIFY(store->SaveSetting("S", "k", "saved", false).ok());
            const QByteArray saved = contents(path());
            QCOMPARE(store->SaveSetting("S", "k", "deferred", true).value, true);
            QCOMPARE(store->SaveSetting("T", "new", "deferred", true).value, false);
            QVERIFY(store->DeleteSetting("S", "k", true).value);
            QCOMPARE(contents(path()), saved);
        }
        QCOMPARE(open()->GetSetting("S", "k", "").value, "saved");

        auto store = open();
        QVERIFY(store->SaveSetting("T", "new", "deferred", true).ok());
        QVERIFY(store->Sync().ok());
        QCOMPARE(open()->GetSetting("T", "new", "").value, "deferred");
    }

    void unchangedValueLeavesFileAlone()
    {
        auto store = open();
        QVERIFY(store->SaveSetting("S", "k", "v", false).ok());
        // The same tree as another program laid it out: a value set to what it
        // is already does not rewrite the file.
        const QByteArray byHand = contents(path()) + "<!-- by hand -->\n";
        write(path(), byHand);
        store = open();
        QCOMPARE(store->SaveSetting("S", "k", "v", false).value, true);
        QCOMPARE(contents(path()), byHand);
        // A change deferred before it still reaches the file with that write.
        QVERIFY(store->SaveSetting("T", "n", "deferred", true).ok());
        QVERIFY(store->SaveSetting("S", "k", "v", false).ok());
        QCOMPARE(open()->GetSetting("T", "n", "").value, "deferred");
        QVERIFY(contents(path()) != byHand);
    }

    void getSectionBounds()
    {
        auto store = open();
        for (const char *key : {"b", "a", "c"})
            QVERIFY(store->SaveSetting("Three", key, std::string("v") + key, false).ok());
        QVERIFY(store->SaveSetting("Empty", "gone", "", false).ok());
        QVERIFY(store->DeleteSetting("Empty", "gone", false).value);

        std::vector<std::string> keys {"old"}, values {"old"};
        QCOMPARE(store->GetSection("Three", keys, values).value, 3);
        QCOMPARE(keys, (std::vector<std::string> {"b", "a", "c"}));
        QCOMPARE(values, (std::vector<std::string> {"vb", "va", "vc"}));

        QCOMPARE(store->GetSection("Empty", keys, values).value, 0);
        QCOMPARE(keys, std::vector<std::string> {""});
        QCOMPARE(values, std::vector<std::string> {""});

        keys = {"x", "y"};
        values = {"z"};
        QCOMPARE(store->GetSection("Missing", keys, values).value, 0);
        QCOMPARE(keys, (std::vector<std::string> {"x", "y"}));
        QCOMPARE(values, std::vector<std::string> {"z"});
    }

    void getSectionOverflow()
    {
        for (const int count : {32767, 32768}) {
            QByteArray xml = "<INISCHEMA><SECTIONLIST><SECTION><NAME>Big</NAME><KEYLIST>";
            for (int i = 0; i < count; ++i)
                xml += "<KEY><NAME>k" + QByteArray::number(i) + "</NAME><VALUE>v</VALUE></KEY>";
            write(path(), xml + "</KEYLIST></SECTION></SECTIONLIST></INISCHEMA>");
            auto store = open();
            std::vector<std::string> keys, values;
            const auto result = store->GetSection("Big", keys, values);
            if (count == 32767) {
                QVERIFY(result.ok());
                QCOMPARE(result.value, 32767);
                QCOMPARE(keys.back(), "k32766");
            } else {
                QVERIFY(result.failure);
                QCOMPARE(result.failure->number, ostrel::kFailureOverflow);
                QCOMPARE(result.failure->source, "GetSection");
            }
        }
    }

    void deletes()
    {
        auto store = open();
        QVERIFY(store->SaveSetting("A", "k1", "1", false).ok());
        QVERIFY(store->SaveSetting("A", "k2", "2", false).ok());
        QVERIFY(store->SaveSetting("B", "k", "3", false).ok());
        const QByteArray before = contents(path());
        const QDateTime modified = QFileInfo(path()).lastModified();
        QTest::qSleep(20);

        const auto missing = store->DeleteSetting("A", "k3", false);
        QVERIFY(missing.ok());
        QCOMPARE(missing.value, false);
        QCOMPARE(store->DeleteSection("C", false).value, false);
        QCOMPARE(contents(path()), before);
        QCOMPARE(QFileInfo(path()).lastModified(), modified);

        QCOMPARE(store->DeleteSetting("A", "k1", false).value, true);
        QCOMPARE(store->DeleteSetting("A", "k2", false).value, true);
        QCOMPARE(store->DeleteSection("B", false).value, true);
        QCOMPARE(treeOf(path()), QStringLiteral("INISCHEMA(SECTIONLIST(SECTION(NAME[A],KEYLIST)))"));
    }

    void foreignRoot()
    {
        write(path(),
            "<ROOT>\n  <SECTION><NAME>A</NAME><KEYLIST><KEY><NAME>k</NAME><VALUE>v</VALUE></KEY></KEYLIST>"
            "</SECTION>\n</ROOT>\n");
        auto store = open();
        QCOMPARE(store->GetSetting("A", "k", "").value, "v");
        QCOMPARE(store->SaveSetting("A", "k", "w", false).value, true);
        QCOMPARE(store->SaveSetting("A", "k2", "x", false).value, false);
        const auto failed = store->SaveSetting("B", "k", "x", false);
        QVERIFY(failed.failure);
        QCOMPARE(failed.failure->number, ostrel::kFailureNoSectionList);
        QCOMPARE(failed.failure->source, "SaveSetting");
        QCOMPARE(treeOf(path()),
            QStringLiteral("ROOT(SECTION(NAME[A],KEYLIST(KEY(NAME[k],VALUE[w]),KEY(NAME[k2],"
                           "VALUE[x]))))"));
    }

    void handEditedFile()
    {
        const int depth = 100000;
        write(path(),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!-- kept by hand -->\n<INISCHEMA>\n <SECTIONLIST>\n"
            "  <SECTION>\n   <NAME>A</NAME>\n   <KEYLIST>\n"
            "    <KEY><NAME>mixed</NAME><VALUE>a<!--c-->b<![CDATA[<c>]]><i>d</i>\xe9</VALUE></KEY>\n"
            "    <KEY><NAME>deep</NAME><VALUE>"
                + QByteArray("<i>").repeated(depth) + "x" + QByteArray("</i>").repeated(depth)
                + "</VALUE></KEY>\n"
                  "    <KEY><NAME>blank</NAME><VALUE> </VALUE></KEY>\n"
                  "   </KEYLIST>\n  </SECTION>\n </SECTIONLIST>\n</INISCHEMA>\n");
        auto store = open();
        QCOMPARE(QString::fromStdString(store->GetSetting("A", "mixed", "").value), QStringLiteral("ab<c>d\u00e9"));
        QCOMPARE(store->GetSetting("A", "deep", "").value, "x");
        QCOMPARE(store->GetSetting("A", "blank", "").value, " ");
        std::vector<std::string> keys, values;
        QCOMPARE(store->GetSection("A", keys, values).value, 3);
        QVERIFY(store->SaveSetting("A", "mixed", "plain", false).ok());
        QCOMPARE(open()->GetSetting("A", "deep", "").value, "x");
    }

    void damagedFileReplaced_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("keptAsBad");
        QTest::newRow("missing") << false << QByteArray() << false;
        QTest::newRow("empty") << true << QByteArray() << false;
        QTest::newRow("blank lines") << true << QByteArray("\n \r\n") << false;
        QTest::newRow("cut short") << true << QByteArray("<INISCHEMA><SECTIONLIST><SECTION><NAME>A</NA") << true;
        QTest::newRow("not XML") << true << QByteArray("[SKIN]\nnum=2\n") << true;
        QTest::newRow("declaration only") << true << QByteArray("<?xml version=\"1.0\"?>") << true;
    }

    void damagedFileReplaced()
    {
        QFETCH(bool, exists);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, keptAsBad);
        write(path(QStringLiteral("Setting.xml.bad")), "older damage");
        if (exists)
            write(path(), bytes);
        auto store = open();
        QVERIFY(store);
        QCOMPARE(treeOf(path()), QStringLiteral("INISCHEMA(SECTIONLIST)"));
        QCOMPARE(contents(path(QStringLiteral("Setting.xml.bad"))), keptAsBad ? bytes : QByteArray("older damage"));
        QVERIFY(store->SaveSetting("S", "k", "v", false).ok());
    }

    void fileNameFailure_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("number");
        // A folder where the file should be cannot be read, and must not be replaced.
        QTest::newRow("unreadable") << QStringLiteral("Setting.xml") << int(ostrel::kFailureRead);
        QTest::newRow("cannot be created") << QStringLiteral("no/such/Setting.xml") << int(ostrel::kFailureWrite);
    }

    void fileNameFailure()
    {
        QFETCH(QString, name);
        QFETCH(int, number);
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("Setting.xml")));
        auto created = SettingsLoader::create();
        auto &store = *created.store;
        const auto loaded = store.FileName(path(name).toStdString());
        QVERIFY(loaded.failure);
        QCOMPARE(loaded.failure->number, number);
        QCOMPARE(loaded.failure->source, "FileName");
        QVERIFY(!QString::fromStdString(loaded.failure->description).contains(QStringLiteral("\r\n")));
        QCOMPARE(store.FileName(), path(name).toStdString());
        QVERIFY(QFileInfo(path()).isDir());

        const auto read = store.GetSetting("S", "k", "default");
        QVERIFY(read.failure);
        QCOMPARE(read.failure->number, ostrel::kFailureNoRoot);
        QCOMPARE(read.failure->source, "GetSetting");
        QVERIFY(read.failure->description.ends_with("\r\nGetSetting"));
        QCOMPARE(store.Sync().failure->source, "Sync");
        QCOMPARE(store.SaveSetting("S", "k", "v", false).failure->number, ostrel::kFailureNoRoot);
    }

    void interruptedSaveKeepsOldFile()
    {
        auto store = open();
        QVERIFY(store->SaveSetting("S", "k", "old", false).ok());
        const QByteArray before = contents(path());

        // A file size limit makes the write stop part-way, as a full disk would.
        rlimit saved {};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 64;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        const auto failed = store->SaveSetting("S", "k", std::string(4096, 'n'), false);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);

        QVERIFY(failed.failure);
        QCOMPARE(failed.failure->number, ostrel::kFailureWrite);
        QCOMPARE(failed.failure->source, "SaveSetting");
        QCOMPARE(contents(path()), before);
        QCOMPARE(
            QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("Setting.xml")});
        // The change stays in memory and reaches the file with the next save.
        QVERIFY(store->Sync().ok());
        QCOMPARE(open()->GetSetting("S", "k", "").value, std::string(4096, 'n'));
    }

    void convertIni()
    {
        write(path(QStringLiteral("in.ini")),
            "loose=line before any section\r\n"
            "; a comment\r\n"
            "[Dup]\r\n"
            "  a = 1  \r\n"
            "b=x=y\r\n"
            "bare entry\r\n"
            "\r\n"
            ";skipped=1\r\n"
            "empty=\r\n"
            "\t[Other] \n"
            "name=\xe9t\xe9\n"
            "[]\n"
            "[dup]\n"
            "c=3\n"
            "[Header] with a tail\n"
            "t=1\n");
        auto created = SettingsLoader::create();
        const auto converted = created.store->ConvertINIToXML(
            path(QStringLiteral("in.ini")).toStdString(), path(QStringLiteral("out.xml")).toStdString());
        QVERIFY(converted.ok());
        QVERIFY(converted.value);
        QCOMPARE(created.store->FileName(), std::string());
        const QString dup
            = QStringLiteral("KEYLIST(KEY(NAME[a ],VALUE[ 1]),KEY(NAME[b],VALUE[x=y]),KEY(NAME[bare entry],"
                             "VALUE),KEY(NAME[empty],VALUE))");
        QCOMPARE(treeOf(path(QStringLiteral("out.xml"))),
            QStringLiteral("INISCHEMA(SECTIONLIST(SECTION(NAME[Dup],%1),SECTION(NAME[Other],KEYLIST(KEY(NAME[name],"
                           "VALUE[été]))),SECTION(NAME,KEYLIST),SECTION(NAME[dup],%1)))")
                .arg(dup));

        auto store = open(QStringLiteral("out.xml"));
        QCOMPARE(store->GetSetting("Dup", "b", "").value, "x=y");
        std::vector<std::string> keys, values;
        QCOMPARE(store->GetSection("Dup", keys, values).value, 4);
    }

    void convertIniMissingFile()
    {
        auto created = SettingsLoader::create();
        const auto converted = created.store->ConvertINIToXML(
            path(QStringLiteral("none.ini")).toStdString(), path(QStringLiteral("out.xml")).toStdString());
        QVERIFY(converted.ok());
        QCOMPARE(converted.value, false);
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("out.xml"))));

        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder.ini")));
        const auto unreadable = created.store->ConvertINIToXML(
            path(QStringLiteral("folder.ini")).toStdString(), path(QStringLiteral("out.xml")).toStdString());
        QVERIFY(unreadable.failure);
        QCOMPARE(unreadable.failure->number, ostrel::kFailureRead);
        QCOMPARE(unreadable.failure->source, "ConvertINIToXML");
        QVERIFY(unreadable.failure->description.ends_with("\r\nConvertINIToXML"));
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("out.xml"))));
    }

    void convertIniBufferCut_data()
    {
        QTest::addColumn<int>("lastLength");
        QTest::addColumn<int>("after");
        QTest::addColumn<int>("keptKeys");
        QTest::addColumn<int>("lastValueLength");
        // Ten entries of 100 characters take 1010 with their separators; then comes
        // "k10=..." of lastLength characters, then `after` more entries.
        QTest::newRow("all fit with the final NUL") << 12 << 0 << 11 << 8; // 1023
        QTest::newRow("one over, last cut") << 13 << 0 << 11 << 8; // 1024: cut after 1022
        QTest::newRow("later entries lost") << 100 << 2 << 11 << 8;
        QTest::newRow("cut right after a separator") << 11 << 1 << 11 << 7; // 1022 ends with the NUL
    }

    void convertIniBufferCut()
    {
        QFETCH(int, lastLength);
        QFETCH(int, after);
        QFETCH(int, keptKeys);
        QFETCH(int, lastValueLength);
        QByteArray ini = "[Big]\n";
        for (int i = 0; i < 10; ++i)
            ini += "k0" + QByteArray::number(i) + "=" + QByteArray(96, 'x') + "\n";
        ini += "k10=" + QByteArray(lastLength - 4, 'x') + "\n";
        for (int i = 0; i < after; ++i)
            ini += "z0" + QByteArray::number(i) + "=" + QByteArray(96, 'x') + "\n";
        write(path(QStringLiteral("in.ini")), ini + "[Next]\nn=1\n");
        auto created = SettingsLoader::create();
        QVERIFY(created.store
                    ->ConvertINIToXML(
                        path(QStringLiteral("in.ini")).toStdString(), path(QStringLiteral("out.xml")).toStdString())
                    .value);
        auto store = open(QStringLiteral("out.xml"));
        std::vector<std::string> keys, values;
        QCOMPARE(store->GetSection("Big", keys, values).value, keptKeys);
        QCOMPARE(keys.back(), "k10");
        QCOMPARE(int(values.back().size()), lastValueLength);
        QCOMPARE(store->GetSetting("Next", "n", "").value, "1");
    }
};

QTEST_GUILESS_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
