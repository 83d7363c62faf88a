#include "autocombo.h"
#include "autocompletehistory.h"

#include <settingsfile.h>
#include <settingslocation.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace {

const QString kName = QStringLiteral("IPSave");

void writeHistory(const QString &folder, const QString &name, const QStringList &entries)
{
    SettingsFile file(SettingsLocation::dataFile(folder));
    QVERIFY2(file.isOpen(), qPrintable(file.errorText()));
    for (int index = 0; index < entries.size(); ++index)
        QVERIFY(file.setValue(name, AutoCompleteHistory::entryKey(index), entries.at(index)));
}

// The six entry keys as stored, empty for missing ones.
QStringList storedHistory(const QString &folder, const QString &name)
{
    SettingsFile file(SettingsLocation::dataFile(folder));
    QStringList values;
    for (int index = 0; index < AutoCompleteHistory::kSize; ++index)
        values.append(file.value(name, AutoCompleteHistory::entryKey(index)));
    return values;
}

QStringList listLines(const QListWidget *list)
{
    QStringList lines;
    for (int row = 0; row < list->count(); ++row)
        lines.append(list->item(row)->text());
    return lines;
}

QStringList padded(QStringList values)
{
    while (values.size() < AutoCompleteHistory::kSize)
        values.append(QString());
    return values;
}

} // namespace

class tst_AutoCombo : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QWidget> m_window;
    AutoCombo *m_combo = nullptr;

    // A window holding the input above another control, shown and active, with
    // the history loaded from the given entries.
    void showCombo(const QStringList &entries)
    {
        writeHistory(m_dir->path(), kName, entries);
        m_window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(m_window.get());
        m_combo = new AutoCombo;
        m_combo->setHistoryFolder(m_dir->path());
        layout->addWidget(m_combo);
        layout->addWidget(new QLineEdit);
        layout->addStretch();
        m_window->resize(320, 240);
        QVERIFY(m_combo->INIT(kName));
        m_combo->textBox()->clear();
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        m_combo->textBox()->setFocus();
        QTRY_VERIFY(m_combo->textBox()->hasFocus());
    }

    QLineEdit *box() const { return m_combo->textBox(); }
    QListWidget *list() const { return m_combo->suggestionList(); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void cleanup()
    {
        m_window.reset();
        m_combo = nullptr;
        m_dir->setAutoRemove(!QTest::currentTestFailed());
        m_dir.reset();
    }

    void loadBindsAndCounts_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("boxBefore");
        QTest::addColumn<QStringList>("loaded");
        QTest::addColumn<QString>("boxAfter");
        QTest::newRow("three entries, empty box") << QStringList {"10.0.0.3", "10.0.0.2", "10.0.0.1"} << QString()
                                                  << QStringList {"10.0.0.3", "10.0.0.2", "10.0.0.1"} << "10.0.0.3";
        QTest::newRow("blank box takes the most recent")
            << QStringList {"a", "b"} << "   " << QStringList {"a", "b"} << "a";
        QTest::newRow("typed box is kept") << QStringList {"a", "b"} << "mine" << QStringList {"a", "b"} << "mine";
        QTest::newRow("empty entry ends the history")
            << QStringList {"a", "b", "", "d"} << QString() << QStringList {"a", "b"} << "a";
        QTest::newRow("no history") << QStringList {} << QString() << QStringList {} << QString();
    }

    void loadBindsAndCounts()
    {
        QFETCH(QStringList, stored);
        QFETCH(QString, boxBefore);
        QFETCH(QStringList, loaded);
        QFETCH(QString, boxAfter);

        writeHistory(m_dir->path(), kName, stored);
        AutoCombo combo;
        combo.setHistoryFolder(m_dir->path());
        combo.textBox()->setText(boxBefore);
        QVERIFY2(combo.INIT(kName), qPrintable(combo.errorText()));
        QCOMPARE(combo.history().entries(), loaded);
        QCOMPARE(combo.text(), boxAfter);
        SettingsFile file(SettingsLocation::dataFile(m_dir->path()));
        QCOMPARE(file.value(kName, AutoCompleteHistory::indexKey()), QString::number(loaded.size()));
    }

    void commit_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("known value at position 3, other case, swaps with ip0") << QStringList {
            "a", "b", "c", "Host.Four", "e"} << "HOST.four" << QStringList {"HOST.four", "b", "c", "a", "e", ""};
        QTest::newRow("known value at ip0 keeps its place")
            << QStringList {"a", "b"} << "A" << QStringList {"A", "b", "", "", "", ""};
        QTest::newRow("new value into a full history drops the oldest")
            << QStringList {"1", "2", "3", "4", "5", "6"} << "new" << QStringList {"new", "1", "2", "3", "4", "5"};
        QTest::newRow("new value into a short history")
            << QStringList {"1", "2"} << "new" << QStringList {"new", "1", "2", "", "", ""};
        QTest::newRow("first value") << QStringList {} << "first" << QStringList {"first", "", "", "", "", ""};
        QTest::newRow("value with markup characters")
            << QStringList {"x"} << "a<b>&'\"c" << QStringList {"a<b>&'\"c", "x", "", "", "", ""};
    }

    void commit()
    {
        QFETCH(QStringList, stored);
        QFETCH(QString, value);
        QFETCH(QStringList, expected);

        writeHistory(m_dir->path(), kName, stored);
        AutoCombo combo;
        combo.setHistoryFolder(m_dir->path());
        QVERIFY(combo.INIT(kName));
        const QStringList loaded = combo.history().entries();
        combo.textBox()->setText(value);
        QVERIFY2(combo.WriteToReg(), qPrintable(combo.errorText()));
        QCOMPARE(storedHistory(m_dir->path(), kName), expected);
        // The instance keeps what it loaded; the next load sees the new order.
        QCOMPARE(combo.history().entries(), loaded);

        AutoCombo fresh;
        fresh.setHistoryFolder(m_dir->path());
        QVERIFY(fresh.INIT(kName));
        QCOMPARE(fresh.text(), expected.first());
    }

    void emptyCommitWritesNothing()
    {
        writeHistory(m_dir->path(), kName, {"a", "b"});
        AutoCombo combo;
        combo.setHistoryFolder(m_dir->path());
        QVERIFY(combo.INIT(kName));
        combo.textBox()->clear();
        QFile file(SettingsLocation::dataFile(m_dir->path()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();

        QVERIFY(!combo.WriteToReg());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }

    void historiesKeepApart()
    {
        writeHistory(m_dir->path(), QStringLiteral("DBGFilter"), {"filter"});
        AutoCombo client;
        client.setHistoryFolder(m_dir->path());
        QVERIFY(client.INIT(QStringLiteral("DBGClient")));
        client.textBox()->setText(QStringLiteral("host"));
        QVERIFY(client.WriteToReg());
        QCOMPARE(storedHistory(m_dir->path(), QStringLiteral("DBGFilter")), padded({"filter"}));
        QCOMPARE(storedHistory(m_dir->path(), QStringLiteral("DBGClient")), padded({"host"}));
    }

    // A folder that cannot hold the file: loading reports it, committing
    // leaves nothing behind.
    void unusableFolder()
    {
        const QString missing = m_dir->filePath(QStringLiteral("no/such/folder"));
        AutoCombo combo;
        combo.setHistoryFolder(missing);
        QVERIFY(!combo.INIT(kName));
        QVERIFY(!combo.errorText().isEmpty());
        combo.textBox()->setText(QStringLiteral("value"));
        QVERIFY(!combo.WriteToReg());
        QVERIFY(!QFile::exists(SettingsLocation::dataFile(missing)));
    }

    void prefixMatching_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("ab") << "ab" << QStringList {"abc", "ABD"};
        QTest::newRow("upper case AB") << "AB" << QStringList {"abc", "ABD"};
        QTest::newRow("x") << "x" << QStringList {"xy"};
        QTest::newRow("whole entry") << "abc" << QStringList {"abc"};
        QTest::newRow("longer than entries") << "abcd" << QStringList {};
    }

    void prefixMatching()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, lines);

        showCombo({"abc", "xy", "ABD"});
        QSignalSpy opened(m_combo, &AutoCombo::ListOpened);
        QTest::keyClicks(box(), typed);
        QCOMPARE(listLines(list()), lines);
        QCOMPARE(list()->isVisible(), !lines.isEmpty());
        if (!lines.isEmpty()) {
            QVERIFY(!opened.isEmpty());
            // Floating in the window right under the box, as wide as it.
            QCOMPARE(list()->parentWidget(), m_window.get());
            const QPoint boxBottom = box()->mapTo(m_window.get(), QPoint(0, box()->height()));
            QVERIFY(list()->y() >= boxBottom.y());
            QCOMPARE(list()->x(), boxBottom.x());
            QCOMPARE(list()->width(), box()->width());
            QVERIFY(list()->height() >= lines.size() * list()->sizeHintForRow(0));
        }
    }

    void spaceClosesList()
    {
        showCombo({"abc", "xy", "ABD"});
        QTest::keyClicks(box(), "ab");
        QVERIFY(list()->isVisible());
        QSignalSpy closed(m_combo, &AutoCombo::ListClosed);
        QTest::keyClick(box(), Qt::Key_Space);
        QVERIFY(!list()->isVisible());
        QCOMPARE(list()->count(), 0);
        QCOMPARE(closed.size(), 1);
        QCOMPARE(m_combo->text(), QStringLiteral("ab "));
    }

    void escapeClosesListOnly()
    {
        showCombo({"abc", "xy", "ABD"});
        QTest::keyClicks(box(), "ab");
        QVERIFY(list()->isVisible());
        QSignalSpy closed(m_combo, &AutoCombo::ListClosed);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(box(), &press);
        QVERIFY(press.isAccepted());
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(box(), &release);
        QVERIFY(!list()->isVisible());
        QCOMPARE(closed.size(), 1);
        QCOMPARE(m_combo->text(), QStringLiteral("ab"));

        // With the list closed, Escape passes on and opens nothing.
        QTest::keyClick(box(), Qt::Key_Escape);
        QVERIFY(!list()->isVisible());
    }

    // With no room under the input, the list opens upwards inside the window.
    void opensUpwardsAtWindowBottom()
    {
        showCombo({"abc", "abd", "abe"});
        auto *layout = static_cast<QVBoxLayout *>(m_window->layout());
        layout->insertStretch(0, 1);
        m_window->resize(320, 240);
        QTRY_VERIFY(m_combo->y() + m_combo->height() > 200);
        QTest::keyClick(box(), Qt::Key_A);
        QVERIFY(list()->isVisible());
        QVERIFY(list()->geometry().bottom() <= box()->mapTo(m_window.get(), QPoint(0, 0)).y());
        QVERIFY(list()->y() >= 0);
    }

    void backspaceToEmptyClosesList()
    {
        showCombo({"abc", "xy", "ABD"});
        QTest::keyClick(box(), Qt::Key_A);
        QVERIFY(list()->isVisible());
        QSignalSpy closed(m_combo, &AutoCombo::ListClosed);
        QTest::keyClick(box(), Qt::Key_Backspace);
        QVERIFY(m_combo->text().isEmpty());
        QVERIFY(!list()->isVisible());
        QCOMPARE(closed.size(), 1);
        QVERIFY(box()->hasFocus());
    }

    void downMovesIntoList()
    {
        showCombo({"abc", "xy", "ABD"});
        QTest::keyClicks(box(), "ab");
        QSignalSpy opened(m_combo, &AutoCombo::ListOpened);
        QTest::keyClick(box(), Qt::Key_Down);
        QTRY_VERIFY(list()->hasFocus());
        QCOMPARE(list()->currentRow(), 0);
        QVERIFY(opened.size() >= 1);

        // Leaving the list closes it.
        QSignalSpy closed(m_combo, &AutoCombo::ListClosed);
        box()->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(!list()->isVisible());
        QCOMPARE(closed.size(), 1);
    }

    void enterPicksEntry_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    }

    void enterPicksEntry()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);

        showCombo({"abc", "xy", "ABD"});
        QTest::keyClicks(box(), "ab");
        QTest::keyClick(box(), Qt::Key_Down);
        QTRY_VERIFY(list()->hasFocus());
        QTest::keyClick(list(), Qt::Key_Down);
        QCOMPARE(list()->currentItem()->text(), QStringLiteral("ABD"));

        QSignalSpy picked(m_combo, &AutoCombo::EntryPicked);
        QSignalSpy opened(m_combo, &AutoCombo::ListOpened);
        QTest::keyClick(list(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(picked.size(), 1);
        QCOMPARE(m_combo->text(), QStringLiteral("ABD"));
        QCOMPARE(box()->cursorPosition(), 3);
        QVERIFY(!list()->isVisible());
        QTRY_VERIFY(box()->hasFocus());
        QCOMPARE(m_combo->showListButton()->text(), QStringLiteral(">"));
        // The release of the picking key does not reopen the list.
        QCOMPARE(opened.size(), 0);
    }

    void doubleClickTakesLine()
    {
        showCombo({"abc", "xy", "ABD"});
        QTest::keyClicks(box(), "ab");
        QSignalSpy picked(m_combo, &AutoCombo::EntryPicked);
        const QRect second = list()->visualItemRect(list()->item(1));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, second.center());
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(m_combo->text(), QStringLiteral("ABD"));
        QVERIFY(!list()->isVisible());
        QCOMPARE(picked.size(), 0);
    }

    // Backspace in the list takes the line; the next key whose text still
    // equals an entry does not bring the list back, the one after does.
    void backspacePickClosesOnNextMatch()
    {
        showCombo({"abc", "xy", "ABD"});
        QTest::keyClicks(box(), "ab");
        QTest::keyClick(box(), Qt::Key_Down);
        QTRY_VERIFY(list()->hasFocus());
        QSignalSpy closed(m_combo, &AutoCombo::ListClosed);
        QTest::keyClick(list(), Qt::Key_Backspace);
        QCOMPARE(m_combo->text(), QStringLiteral("abc"));
        QVERIFY(!list()->isVisible());
        QVERIFY(closed.size() >= 1);
        QTRY_VERIFY(box()->hasFocus());

        QTest::keyClick(box(), Qt::Key_End);
        QVERIFY(!list()->isVisible());
        QTest::keyClick(box(), Qt::Key_End);
        QVERIFY(list()->isVisible());
        QCOMPARE(listLines(list()), QStringList {"abc"});
    }

    void buttonShowsWholeHistory()
    {
        showCombo({"abc", "xy", "ABD"});
        box()->setText(QStringLiteral("zzz"));
        QToolButton *button = m_combo->showListButton();
        QCOMPARE(button->text(), QStringLiteral(">"));
        QSignalSpy opened(m_combo, &AutoCombo::ListOpened);
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(list()->isVisible());
        QCOMPARE(listLines(list()), (QStringList {"abc", "xy", "ABD"}));
        QCOMPARE(button->text(), QStringLiteral("<"));
        QVERIFY(opened.size() >= 1);

        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!list()->isVisible());
        QCOMPARE(button->text(), QStringLiteral(">"));
        QVERIFY(box()->hasFocus());
    }

    void buttonWithoutHistory()
    {
        showCombo({});
        QSignalSpy opened(m_combo, &AutoCombo::ListOpened);
        QTest::mouseClick(m_combo->showListButton(), Qt::LeftButton);
        QVERIFY(!list()->isVisible());
        QCOMPARE(m_combo->showListButton()->text(), QStringLiteral(">"));
        QCOMPARE(opened.size(), 0);
    }

    void addItem()
    {
        showCombo({"1", "2", "3", "4", "5"});
        QVERIFY(!m_combo->AddItem(QString()));
        QVERIFY(m_combo->AddItem(QStringLiteral("six")));
        QVERIFY(!m_combo->AddItem(QStringLiteral("seven")));
        QCOMPARE(m_combo->history().entries(), (QStringList {"1", "2", "3", "4", "5", "six"}));
        // Only in memory.
        QCOMPARE(storedHistory(m_dir->path(), kName), padded({"1", "2", "3", "4", "5"}));
        QTest::keyClick(box(), Qt::Key_S);
        QCOMPARE(listLines(list()), QStringList {"six"});
    }

    void ucEnable()
    {
        AutoCombo combo;
        combo.setUcEnable(false);
        QVERIFY(!combo.textBox()->isEnabled());
        QVERIFY(!combo.showListButton()->isEnabled());
        QCOMPARE(combo.textBox()->palette().color(QPalette::Disabled, QPalette::Base), QColor(224, 224, 224));
        combo.setUcEnable(true);
        QVERIFY(combo.textBox()->isEnabled());
        QVERIFY(combo.showListButton()->isEnabled());
        QCOMPARE(combo.textBox()->palette().color(QPalette::Active, QPalette::Base), QColor(255, 255, 255));
    }

    // An input that is a window of its own grows to hold its list, and shrinks back.
    void ownWindowGrows()
    {
        writeHistory(m_dir->path(), kName, {"abc", "abd"});
        AutoCombo combo;
        combo.setHistoryFolder(m_dir->path());
        QVERIFY(combo.INIT(kName));
        combo.textBox()->clear();
        combo.show();
        const int closedHeight = combo.height();
        QTest::keyClick(combo.textBox(), Qt::Key_A);
        QVERIFY(combo.suggestionList()->isVisible());
        QCOMPARE(combo.suggestionList()->parentWidget(), &combo);
        QVERIFY(combo.height() >= closedHeight + combo.suggestionList()->height());
        QTest::keyClick(combo.textBox(), Qt::Key_Space);
        QCOMPARE(combo.height(), closedHeight);
    }
};

QTEST_MAIN(tst_AutoCombo)
#include "tst_autocombo.moc"
