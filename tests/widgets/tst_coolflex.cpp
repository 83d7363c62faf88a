#include "coolflex.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using namespace std::chrono_literals;
using CoolFlexLogic::EditorKeyAction;

namespace {

// A top-level window holding a grid set up as the console sets up its tables,
// and a button outside the grid to take the focus away.
struct Harness
{
    QWidget window;
    CoolFlex *flex = nullptr;
    QPushButton *outside = nullptr;
    QStringList events;

    Harness(int rows, int cols)
    {
        auto *layout = new QVBoxLayout(&window);
        flex = new CoolFlex;
        outside = new QPushButton(QStringLiteral("Save Data"));
        layout->addWidget(flex);
        layout->addWidget(outside);
        flex->setCols(cols);
        flex->setRows(rows);
        flex->setEditEnable(true);
        flex->setTextMatrix(0, 0, QStringLiteral("#"));
        for (int c = 1; c < cols; ++c) {
            flex->setTextMatrix(0, c, QStringLiteral("H%1").arg(c));
            flex->setColWidth(c, 1300);
        }
        for (int r = 1; r < rows; ++r)
            flex->setTextMatrix(r, 0, QString::number(r));
        window.resize(700, 400);
        window.show();
        window.activateWindow();
        QObject::connect(flex, &CoolFlex::Click, &window, [this] { events << "Click"; });
        QObject::connect(flex, &CoolFlex::EnterCell, &window, [this](int row, int col, const QString &) {
            events << QStringLiteral("EnterCell %1,%2").arg(row).arg(col);
        });
        QObject::connect(flex, &CoolFlex::DblClick, &window, [this] { events << "DblClick"; });
        QObject::connect(flex, &CoolFlex::LeaveCell, &window, [this] { events << "LeaveCell"; });
        QObject::connect(flex, &CoolFlex::RowColChange, &window, [this] { events << "RowColChange"; });
    }

    QLineEdit *editor() const { return flex->textEditor(); }

    void click(int row, int col) const
    {
        QTest::mouseClick(flex->grid()->viewport(), Qt::LeftButton, {}, flex->cellRect(row, col).center());
    }

    void clickHeading(int col) const
    {
        QHeaderView *header = flex->grid()->horizontalHeader();
        const int x = header->sectionViewportPosition(col - 1) + header->sectionSize(col - 1) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }

    // Opens the text editor on a cell by a click and clears the recorded events.
    void open(int row, int col)
    {
        click(row, col);
        QVERIFY(editor()->isVisible());
        events.clear();
    }

    void key(Qt::Key key) const { QTest::keyClick(QApplication::focusWidget(), key); }
};

} // namespace

class tst_CoolFlex : public QObject
{
    Q_OBJECT

private slots:
    void compareCells_data();
    void compareCells();
    void editorKeyAction_data();
    void editorKeyAction();
    void twips();

    void openSelectsWholeText();
    void enterWritesEscapeDiscards();
    void arrowsMoveAndCommit_data();
    void arrowsMoveAndCommit();
    void leftCollapsesThenMoves();
    void editTextLengthLimitsTypingOnly();
    void clickElsewhereCommitsFirst();
    void focusLeavingGridCommits();
    void focusToAnotherWindowKeepsEditor();
    void textWrittenWhileEditing();
    void scrollDiscards();
    void clickWithEditingOff();
    void fixedCellsOpenNothing();
    void enterOnGridOpensEditor();
    void editorNamedByItsHeading();
    void checkBoxToggles();
    void doubleClickTogglesOnce();
    void dropDownColumn();
    void buttonColumn();
    void sortProperty();
    void headerClickSort();
    void hideColumn();
    void hideRow();
    void removeItemWhileEditing();
    void refusesOutOfRange();
    void tableModel();
};

void tst_CoolFlex::compareCells_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("sign");
    QTest::newRow("generic numbers by value") << "9"
                                              << "10" << 1 << -1;
    QTest::newRow("generic numbers before text") << "10"
                                                 << "abc" << 1 << -1;
    QTest::newRow("generic text ignores case") << "abc"
                                               << "ABC" << 1 << 0;
    QTest::newRow("generic descending") << "9"
                                        << "10" << 2 << 1;
    QTest::newRow("numeric leading digits") << "12abc"
                                            << "9" << 3 << 1;
    QTest::newRow("numeric text counts 0") << "abc"
                                           << "0" << 3 << 0;
    QTest::newRow("numeric descending") << "1"
                                        << "2" << 4 << 1;
    QTest::newRow("string no case") << "b"
                                    << "A" << 5 << 1;
    QTest::newRow("string no case descending") << "b"
                                               << "A" << 6 << -1;
    QTest::newRow("string digits as text") << "9"
                                           << "10" << 7 << 1;
    QTest::newRow("string case upper first") << "B"
                                             << "a" << 7 << -1;
    QTest::newRow("string descending") << "B"
                                       << "a" << 8 << 1;
    QTest::newRow("no sort") << "a"
                             << "b" << 0 << 0;
    QTest::newRow("custom mode sorts nothing") << "a"
                                               << "b" << 9 << 0;
}

void tst_CoolFlex::compareCells()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, mode);
    QFETCH(int, sign);
    const int result = CoolFlexLogic::compareCells(a, b, mode);
    QCOMPARE((result > 0) - (result < 0), sign);
}

void tst_CoolFlex::editorKeyAction_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("selection");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<EditorKeyAction>("action");
    // A grid of 5 rows and 4 columns: data rows 1 to 4, data columns 1 to 3.
    QTest::newRow("enter") << int(Qt::Key_Return) << 0 << 0 << 3 << 2 << 2 << EditorKeyAction::Commit;
    QTest::newRow("keypad enter") << int(Qt::Key_Enter) << 0 << 0 << 3 << 2 << 2 << EditorKeyAction::Commit;
    QTest::newRow("escape") << int(Qt::Key_Escape) << 1 << 0 << 3 << 2 << 2 << EditorKeyAction::Discard;
    QTest::newRow("down") << int(Qt::Key_Down) << 0 << 3 << 3 << 2 << 2 << EditorKeyAction::MoveDown;
    QTest::newRow("down last row") << int(Qt::Key_Down) << 0 << 3 << 3 << 4 << 2 << EditorKeyAction::Commit;
    QTest::newRow("up") << int(Qt::Key_Up) << 0 << 3 << 3 << 2 << 2 << EditorKeyAction::MoveUp;
    QTest::newRow("up first row") << int(Qt::Key_Up) << 0 << 3 << 3 << 1 << 2 << EditorKeyAction::Commit;
    QTest::newRow("left whole selected") << int(Qt::Key_Left) << 0 << 3 << 3 << 2 << 2 << EditorKeyAction::CaretToStart;
    QTest::newRow("left at start") << int(Qt::Key_Left) << 0 << 0 << 3 << 2 << 2 << EditorKeyAction::MoveLeft;
    QTest::newRow("left inside") << int(Qt::Key_Left) << 2 << 0 << 3 << 2 << 2 << EditorKeyAction::PassOn;
    QTest::newRow("left part selected") << int(Qt::Key_Left) << 0 << 2 << 3 << 2 << 2 << EditorKeyAction::PassOn;
    QTest::newRow("left first column") << int(Qt::Key_Left) << 0 << 0 << 3 << 2 << 1 << EditorKeyAction::PassOn;
    QTest::newRow("right whole selected") << int(Qt::Key_Right) << 0 << 3 << 3 << 2 << 2 << EditorKeyAction::CaretToEnd;
    QTest::newRow("right at end") << int(Qt::Key_Right) << 3 << 0 << 3 << 2 << 2 << EditorKeyAction::MoveRight;
    QTest::newRow("right empty text") << int(Qt::Key_Right) << 0 << 0 << 0 << 2 << 2 << EditorKeyAction::MoveRight;
    QTest::newRow("right inside") << int(Qt::Key_Right) << 1 << 0 << 3 << 2 << 2 << EditorKeyAction::PassOn;
    QTest::newRow("right last column") << int(Qt::Key_Right) << 3 << 0 << 3 << 2 << 3 << EditorKeyAction::PassOn;
    QTest::newRow("letter") << int(Qt::Key_A) << 0 << 3 << 3 << 2 << 2 << EditorKeyAction::PassOn;
}

void tst_CoolFlex::editorKeyAction()
{
    QFETCH(int, key);
    QFETCH(int, caret);
    QFETCH(int, selection);
    QFETCH(int, length);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(EditorKeyAction, action);
    CoolFlexLogic::EditorKeyState state;
    state.caret = caret;
    state.selectionLength = selection;
    state.textLength = length;
    state.row = row;
    state.col = col;
    state.rows = 5;
    state.cols = 4;
    QCOMPARE(CoolFlexLogic::editorKeyAction(key, state), action);
}

void tst_CoolFlex::twips()
{
    QCOMPARE(CoolFlex::twipsToPixels(1440, 96), 96);
    QCOMPARE(CoolFlex::twipsToPixels(400, 96), 27);
    QCOMPARE(CoolFlex::twipsToPixels(1300, 120), 108);
    QCOMPARE(CoolFlex::pixelsToTwips(96, 96), 1440);

    CoolFlex flex;
    flex.setCols(3);
    QVERIFY(flex.setColWidth(0, 400));
    QVERIFY(flex.setColWidth(2, 1500));
    QCOMPARE(flex.grid()->verticalHeader()->width(), flex.twipsToPixelsX(400));
    QCOMPARE(flex.grid()->columnWidth(1), flex.twipsToPixelsX(1500));
}

void tst_CoolFlex::openSelectsWholeText()
{
    Harness h(5, 4);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    h.flex->setTextMatrix(2, 2, QStringLiteral("0912345"));
    h.click(2, 2);
    QVERIFY(h.editor()->isVisible());
    QVERIFY(h.editor()->hasFocus());
    QCOMPARE(h.editor()->text(), QStringLiteral("0912345"));
    QCOMPARE(h.editor()->selectedText(), QStringLiteral("0912345"));
    QCOMPARE(h.editor()->geometry(), h.flex->cellRect(2, 2));
    QCOMPARE(h.events, QStringList({"LeaveCell", "EnterCell 2,2", "RowColChange", "Click"}));
    // Typing replaces the selected text.
    QTest::keyClicks(h.editor(), QStringLiteral("77"));
    QCOMPARE(h.editor()->text(), QStringLiteral("77"));
}

void tst_CoolFlex::enterWritesEscapeDiscards()
{
    Harness h(5, 4);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    h.flex->setTextMatrix(1, 1, QStringLiteral("old"));
    h.open(1, 1);
    QTest::keyClicks(h.editor(), QStringLiteral("new"));
    h.key(Qt::Key_Return);
    QCOMPARE(h.flex->TextMatrix(1, 1), QStringLiteral("new"));
    QVERIFY(!h.editor()->isVisible());
    QVERIFY(h.flex->grid()->hasFocus());
    QVERIFY(h.events.isEmpty());

    h.open(1, 1);
    QTest::keyClicks(h.editor(), QStringLiteral("lost"));
    h.key(Qt::Key_Escape);
    QCOMPARE(h.flex->TextMatrix(1, 1), QStringLiteral("new"));
    QVERIFY(!h.editor()->isVisible());
    QVERIFY(h.flex->grid()->hasFocus());
    // Reopening shows the cell's text, not the discarded one.
    h.open(1, 1);
    QCOMPARE(h.editor()->text(), QStringLiteral("new"));
}

void tst_CoolFlex::arrowsMoveAndCommit_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("toRow");
    QTest::addColumn<int>("toCol");
    QTest::addColumn<bool>("closes");
    QTest::newRow("down") << 2 << 2 << int(Qt::Key_Down) << 3 << 2 << true;
    QTest::newRow("up") << 2 << 2 << int(Qt::Key_Up) << 1 << 2 << true;
    QTest::newRow("right on empty text") << 2 << 2 << int(Qt::Key_Right) << 2 << 3 << true;
    // No row to move to: the editor closes on its own cell and the grid takes the keys.
    QTest::newRow("down on last row") << 4 << 2 << int(Qt::Key_Down) << 4 << 2 << true;
    QTest::newRow("up on first row") << 1 << 2 << int(Qt::Key_Up) << 1 << 2 << true;
    QTest::newRow("right in last column") << 2 << 3 << int(Qt::Key_Right) << 2 << 3 << false;
    QTest::newRow("left in first column") << 2 << 1 << int(Qt::Key_Left) << 2 << 1 << false;
}

void tst_CoolFlex::arrowsMoveAndCommit()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(int, key);
    QFETCH(int, toRow);
    QFETCH(int, toCol);
    QFETCH(bool, closes);
    Harness h(5, 4);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    h.open(row, col);
    h.key(Qt::Key(key));
    QCOMPARE(h.flex->Row(), toRow);
    QCOMPARE(h.flex->Col(), toCol);
    const bool moved = toRow != row || toCol != col;
    QCOMPARE(h.editor()->isVisible(), !closes);
    QCOMPARE(h.flex->grid()->hasFocus(), closes);
    if (moved)
        QCOMPARE(h.events,
            QStringList({"LeaveCell", QStringLiteral("EnterCell %1,%2").arg(toRow).arg(toCol), "RowColChange"}));
    else
        QVERIFY(h.events.isEmpty());

    // What was typed before the editor closed lands in its cell.
    h.open(row, col);
    QTest::keyClicks(h.editor(), QStringLiteral("typed"));
    if (key == Qt::Key_Right)
        return; // the caret now stands at the end: Right moves; covered by the row above
    h.key(Qt::Key(key));
    if (closes)
        QCOMPARE(h.flex->TextMatrix(row, col), QStringLiteral("typed"));
    else
        QCOMPARE(h.editor()->text(), QStringLiteral("typed"));
}

void tst_CoolFlex::leftCollapsesThenMoves()
{
    Harness h(5, 4);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    h.flex->setTextMatrix(2, 2, QStringLiteral("abc"));
    h.open(2, 2);
    h.key(Qt::Key_Left);
    QVERIFY(h.editor()->isVisible());
    QVERIFY(!h.editor()->hasSelectedText());
    QCOMPARE(h.editor()->cursorPosition(), 0);
    QCOMPARE(h.flex->Col(), 2);
    h.key(Qt::Key_Left);
    QCOMPARE(h.flex->Col(), 1);
    QVERIFY(!h.editor()->isVisible());
    QCOMPARE(h.flex->TextMatrix(2, 2), QStringLiteral("abc"));

    // Right with the whole text selected first puts the caret at the end.
    h.open(2, 2);
    h.key(Qt::Key_Right);
    QCOMPARE(h.editor()->cursorPosition(), 3);
    QVERIFY(!h.editor()->hasSelectedText());
    QCOMPARE(h.flex->Col(), 2);
    h.key(Qt::Key_Right);
    QCOMPARE(h.flex->Col(), 3);
}

void tst_CoolFlex::editTextLengthLimitsTypingOnly()
{
    Harness h(5, 4);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    h.flex->setEditTextLenght(7);
    h.open(1, 1);
    QTest::keyClicks(h.editor(), QStringLiteral("123456789"));
    QCOMPARE(h.editor()->text(), QStringLiteral("1234567"));
    h.key(Qt::Key_Return);
    QCOMPARE(h.flex->TextMatrix(1, 1), QStringLiteral("1234567"));

    const QString longText = QStringLiteral("0123456789ABCDEF");
    QVERIFY(h.flex->setTextMatrix(1, 2, longText));
    QCOMPARE(h.flex->TextMatrix(1, 2), longText);
    // Opening and committing a longer cell keeps it whole; typing cannot lengthen it.
    h.open(1, 2);
    QCOMPARE(h.editor()->text(), longText);
    h.key(Qt::Key_End);
    QTest::keyClicks(h.editor(), QStringLiteral("X"));
    QCOMPARE(h.editor()->text(), longText);
    h.key(Qt::Key_Return);
    QCOMPARE(h.flex->TextMatrix(1, 2), longText);

    // Shortened below the limit, the limit applies again.
    h.open(1, 2);
    h.key(Qt::Key_Delete);
    QTest::keyClicks(h.editor(), QStringLiteral("abcdefghij"));
    QCOMPARE(h.editor()->text(), QStringLiteral("abcdefg"));
}

void tst_CoolFlex::clickElsewhereCommitsFirst()
{
    Harness h(5, 4);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    h.open(1, 1);
    QString committedAtLeave;
    QObject::connect(h.flex, &CoolFlex::LeaveCell, &h.window, [&] { committedAtLeave = h.flex->TextMatrix(1, 1); });
    QSignalSpy enter(h.flex, &CoolFlex::EnterCell);
    QTest::keyClicks(h.editor(), QStringLiteral("12345"));
    h.click(3, 2);
    QCOMPARE(h.flex->TextMatrix(1, 1), QStringLiteral("12345"));
    QCOMPARE(committedAtLeave, QStringLiteral("12345"));
    QCOMPARE(h.events, QStringList({"LeaveCell", "EnterCell 3,2", "RowColChange", "Click"}));
    QCOMPARE(enter.count(), 1);
    QCOMPARE(enter.at(0).at(0).toInt(), 3);
    QCOMPARE(enter.at(0).at(1).toInt(), 2);
    QCOMPARE(enter.at(0).at(2).toString(), QString());
    // The click opened the editor on the new cell.
    QVERIFY(h.editor()->isVisible());
    QCOMPARE(h.editor()->geometry(), h.flex->cellRect(3, 2));
}

void tst_CoolFlex::focusLeavingGridCommits()
{
    Harness h(5, 4);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    h.open(2, 1);
    QTest::keyClicks(h.editor(), QStringLiteral("555"));
    h.outside->setFocus(Qt::MouseFocusReason);
    QCOMPARE(h.flex->TextMatrix(2, 1), QStringLiteral("555"));
    QVERIFY(!h.editor()->isVisible());
    QVERIFY(h.events.isEmpty());

    // A page switch hides the grid under an open editor: the text is kept too.
    h.open(3, 1);
    QTest::keyClicks(h.editor(), QStringLiteral("666"));
    h.flex->hide();
    QCOMPARE(h.flex->TextMatrix(3, 1), QStringLiteral("666"));
    QVERIFY(h.editor()->isHidden());
}

void tst_CoolFlex::focusToAnotherWindowKeepsEditor()
{
    // A box opening over the console (a failed write, say) takes the focus to
    // its own window: the editor stays open with what was typed.
    Harness h(5, 4);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    h.open(2, 1);
    QTest::keyClicks(h.editor(), QStringLiteral("777"));
    QLineEdit box;
    box.show();
    box.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    box.setFocus();
    QTRY_VERIFY(box.hasFocus());
    QVERIFY(h.editor()->isVisible());
    QCOMPARE(h.flex->TextMatrix(2, 1), QString());

    h.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    QTRY_COMPARE(QApplication::focusWidget(), h.editor());
    QCOMPARE(h.editor()->text(), QStringLiteral("777"));
    h.key(Qt::Key_Return);
    QCOMPARE(h.flex->TextMatrix(2, 1), QStringLiteral("777"));
    QVERIFY(h.events.isEmpty());
}

void tst_CoolFlex::textWrittenWhileEditing()
{
    // A record received while the operator types into its cell does not replace
    // the typing; the cell gets what was typed when the editor closes.
    Harness h(5, 4);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    h.open(2, 2);
    QTest::keyClicks(h.editor(), QStringLiteral("typed"));
    QVERIFY(h.flex->setTextMatrix(2, 2, QStringLiteral("received")));
    QCOMPARE(h.editor()->text(), QStringLiteral("typed"));
    QCOMPARE(h.editor()->cursorPosition(), 5);
    h.key(Qt::Key_Return);
    QCOMPARE(h.flex->TextMatrix(2, 2), QStringLiteral("typed"));
}

void tst_CoolFlex::scrollDiscards()
{
    Harness h(65, 7);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    h.flex->setTextMatrix(1, 1, QStringLiteral("kept"));
    h.open(1, 1);
    QTest::keyClicks(h.editor(), QStringLiteral("typed"));
    QScrollBar *bar = h.flex->grid()->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    bar->setValue(bar->value() + 3);
    QVERIFY(!h.editor()->isVisible());
    QCOMPARE(h.flex->TextMatrix(1, 1), QStringLiteral("kept"));
    // A cell change after the scroll writes nothing either.
    h.flex->setRow(5);
    QCOMPARE(h.flex->TextMatrix(1, 1), QStringLiteral("kept"));
}

void tst_CoolFlex::clickWithEditingOff()
{
    Harness h(5, 4);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    h.flex->setEditEnable(false);
    h.flex->ColType(2, CoolFlex::CellCheckBox, false);
    h.click(1, 1);
    QVERIFY(!h.editor()->isVisible());
    QCOMPARE(h.events.last(), QStringLiteral("Click"));
    h.events.clear();
    QSignalSpy checks(h.flex, &CoolFlex::CellCheckBoxClick);
    h.click(1, 2);
    QCOMPARE(h.events.last(), QStringLiteral("Click"));
    QCOMPARE(checks.count(), 0);
    QCOMPARE(h.flex->TextMatrix(1, 2), QString());
}

void tst_CoolFlex::fixedCellsOpenNothing()
{
    Harness h(5, 4);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    h.clickHeading(2);
    QVERIFY(!h.editor()->isVisible());
    QCOMPARE(h.events.last(), QStringLiteral("Click"));
    QCOMPARE(h.flex->MouseRow(), 0);
    QCOMPARE(h.flex->MouseCol(), 2);
    h.events.clear();
    QHeaderView *rows = h.flex->grid()->verticalHeader();
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {},
        QPoint(rows->width() / 2, rows->sectionViewportPosition(2) + rows->sectionSize(2) / 2));
    QVERIFY(!h.editor()->isVisible());
    QCOMPARE(h.events.last(), QStringLiteral("Click"));
    QCOMPARE(h.flex->MouseRow(), 3);
    QCOMPARE(h.flex->MouseCol(), 0);
    QCOMPARE(h.flex->TextMatrix(0, 0), QStringLiteral("#"));
    QCOMPARE(h.flex->TextMatrix(0, 2), QStringLiteral("H2"));
    QCOMPARE(h.flex->TextMatrix(3, 0), QStringLiteral("3"));
}

void tst_CoolFlex::enterOnGridOpensEditor()
{
    Harness h(5, 4);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    h.flex->setTextMatrix(3, 3, QStringLiteral("x"));
    h.flex->setRow(3);
    h.flex->setCol(3);
    h.flex->grid()->setFocus();
    h.events.clear();
    QTest::keyClick(h.flex->grid(), Qt::Key_Return);
    QVERIFY(h.editor()->isVisible());
    QCOMPARE(h.editor()->selectedText(), QStringLiteral("x"));
    QCOMPARE(h.events, QStringList({"Click"}));
    // Typing on the grid itself opens nothing and moves nowhere.
    h.key(Qt::Key_Escape);
    QTest::keyClicks(h.flex->grid(), QStringLiteral("1"));
    QVERIFY(!h.editor()->isVisible());
    QCOMPARE(h.flex->Row(), 3);
}

void tst_CoolFlex::editorNamedByItsHeading()
{
    // Assistive tools announce the open editor by the heading of its column.
    Harness h(5, 4);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    h.flex->setTextMatrix(0, 2, QStringLiteral("Prefix"));
    const auto editorName = [&h] {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(h.editor());
        return accessible ? accessible->text(QAccessible::Name) : QStringLiteral("(none)");
    };
    h.open(2, 2);
    QCOMPARE(editorName(), QStringLiteral("Prefix"));
    h.key(Qt::Key_Right); // to column 3; a move opens no editor
    h.key(Qt::Key_Return);
    QVERIFY(h.editor()->isVisible());
    QCOMPARE(editorName(), QStringLiteral("H3"));
}

void tst_CoolFlex::checkBoxToggles()
{
    Harness h(5, 4);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    h.flex->setTextMatrix(1, 2, QStringLiteral("C"));
    h.flex->setTextMatrix(2, 2, QStringLiteral("x"));
    QVERIFY(h.flex->ColType(2, CoolFlex::CellCheckBox, false));
    QCOMPARE(h.flex->cellPicture(1, 2), CoolFlex::CellPicture::Checked);
    QCOMPARE(h.flex->cellPicture(2, 2), CoolFlex::CellPicture::Unchecked);
    QCOMPARE(h.flex->cellPicture(1, 1), CoolFlex::CellPicture::None);

    QSignalSpy checks(h.flex, &CoolFlex::CellCheckBoxClick);
    h.click(2, 2);
    QCOMPARE(h.flex->TextMatrix(2, 2), QStringLiteral("C"));
    QCOMPARE(h.flex->cellPicture(2, 2), CoolFlex::CellPicture::Checked);
    QCOMPARE(checks.count(), 1);
    QCOMPARE(checks.at(0).at(0).toInt(), 2);
    QCOMPARE(checks.at(0).at(1).value<qint16>(), qint16(1));
    QVERIFY(!h.events.contains("Click"));
    QVERIFY(!h.editor()->isVisible());

    h.click(2, 2);
    QCOMPARE(h.flex->TextMatrix(2, 2), QStringLiteral("U"));
    QCOMPARE(h.flex->cellPicture(2, 2), CoolFlex::CellPicture::Unchecked);
    QCOMPARE(checks.count(), 2);
    QCOMPARE(checks.at(1).at(1).value<qint16>(), qint16(0));

    // Growing the grid draws boxes in the new rows too.
    h.flex->setRows(7);
    QCOMPARE(h.flex->cellPicture(6, 2), CoolFlex::CellPicture::Unchecked);
}

void tst_CoolFlex::doubleClickTogglesOnce()
{
    Harness h(5, 4);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    h.flex->ColType(2, CoolFlex::CellCheckBox, false);
    QSignalSpy checks(h.flex, &CoolFlex::CellCheckBoxClick);
    QSignalSpy doubles(h.flex, &CoolFlex::DblClick);
    const QPoint at = h.flex->cellRect(1, 2).center();
    QTest::mouseClick(h.flex->grid()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(h.flex->grid()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(h.flex->grid()->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(doubles.count(), 1);
    QCOMPARE(checks.count(), 1);
    QCOMPARE(h.flex->TextMatrix(1, 2), QStringLiteral("C"));
}

void tst_CoolFlex::dropDownColumn()
{
    Harness h(5, 4);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    QVERIFY(h.flex->ColType(3, CoolFlex::CellComboBox, false));
    QVERIFY(h.flex->ComboBoxAddItem(3, QStringLiteral("Alpha")));
    QVERIFY(h.flex->ComboBoxAddItem(3, QStringLiteral("Beta")));
    QVERIFY(h.flex->ComboBoxAddItem(3, QStringLiteral("Gamma")));
    QVERIFY(h.flex->ComboBoxRemoveItem(3, 2));
    QVERIFY(h.flex->setComboBoxItemData(3, 1, 42));
    QCOMPARE(h.flex->ComboBoxListCount(3), 2);
    QCOMPARE(h.flex->ComboBoxItemData(3, 1), 42);
    QCOMPARE(h.flex->ComboBoxListCount(2), 0);
    QComboBox *list = h.flex->comboBox(3);
    QVERIFY(list);

    h.flex->setTextMatrix(2, 3, QStringLiteral("Alpha"));
    h.click(2, 3);
    QVERIFY(list->isVisible());
    QVERIFY(!h.editor()->isVisible());
    QCOMPARE(list->currentText(), QStringLiteral("Alpha"));
    QCOMPARE(list->lineEdit()->selectedText(), QStringLiteral("Alpha"));
    QCOMPARE(list->geometry(), h.flex->cellRect(2, 3));
    QCOMPARE(h.events.last(), QStringLiteral("Click"));

    QSignalSpy changes(h.flex, &CoolFlex::CellComboBoxChange);
    QTest::keyClicks(list->lineEdit(), QStringLiteral("Zeta"));
    QVERIFY(changes.count() >= 1);
    QCOMPARE(changes.last().at(0).toInt(), 3);
    QTest::keyClick(list->lineEdit(), Qt::Key_Escape);
    QVERIFY(!list->isVisible());
    QCOMPARE(h.flex->TextMatrix(2, 3), QStringLiteral("Alpha"));

    QSignalSpy picks(h.flex, &CoolFlex::CellComboBoxClick);
    h.click(2, 3);
    QVERIFY(list->isVisible());
    list->setCurrentIndex(1);
    emit list->activated(1);
    QCOMPARE(h.flex->TextMatrix(2, 3), QStringLiteral("Beta"));
    QVERIFY(!list->isVisible());
    QCOMPARE(list->currentText(), QString());
    QCOMPARE(picks.count(), 1);
    QCOMPARE(picks.at(0).at(0).toInt(), 3);
    QCOMPARE(picks.at(0).at(1).toString(), QStringLiteral("Beta"));

    // Leaving the cell commits what was typed into the list.
    h.click(2, 3);
    QTest::keyClicks(list->lineEdit(), QStringLiteral("Typed"));
    h.click(1, 1);
    QCOMPARE(h.flex->TextMatrix(2, 3), QStringLiteral("Typed"));
    QVERIFY(!list->isVisible());
    // Enter in the list commits it the same way.
    h.click(2, 3);
    QTest::keyClicks(list->lineEdit(), QStringLiteral("Entered"));
    QTest::keyClick(list->lineEdit(), Qt::Key_Return);
    QCOMPARE(h.flex->TextMatrix(2, 3), QStringLiteral("Entered"));
    QVERIFY(!list->isVisible());
    QVERIFY(h.flex->grid()->hasFocus());
}

void tst_CoolFlex::buttonColumn()
{
    Harness h(5, 4);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    h.flex->setButtonPressTime(30ms);
    QVERIFY(h.flex->ColType(3, CoolFlex::CellButton, true));
    QVERIFY(h.flex->ColType(2, CoolFlex::CellButton, false));
    QCOMPARE(h.flex->cellPicture(4, 3), CoolFlex::CellPicture::ButUpOut);
    QCOMPARE(h.flex->cellPicture(4, 2), CoolFlex::CellPicture::ButDelOut);

    QSignalSpy buttons(h.flex, &CoolFlex::CellButtonClick);
    h.click(2, 3);
    QCOMPARE(h.flex->cellPicture(2, 3), CoolFlex::CellPicture::ButUpIn);
    QCOMPARE(buttons.count(), 0);
    QTRY_COMPARE(buttons.count(), 1);
    QCOMPARE(h.flex->cellPicture(2, 3), CoolFlex::CellPicture::ButUpOut);
    QCOMPARE(buttons.at(0).at(0).toInt(), 2);
    QCOMPARE(buttons.at(0).at(1).toInt(), 3);
    QCOMPARE(buttons.at(0).at(2).value<qint16>(), qint16(0));
    QVERIFY(!h.events.contains("Click"));
    QVERIFY(!h.editor()->isVisible());

    // A second press while the first still shows finishes the first one.
    h.flex->setButtonPressTime(10s);
    h.click(3, 2);
    h.click(3, 2);
    QCOMPARE(buttons.count(), 2);
    QCOMPARE(h.flex->cellPicture(3, 2), CoolFlex::CellPicture::ButDelIn);
    // A pressed row that goes away reports nothing.
    QVERIFY(h.flex->RemoveItem(3));
    h.flex->setButtonPressTime(1ms);
    h.click(1, 3);
    QTRY_COMPARE(buttons.count(), 3);
    QCOMPARE(buttons.last().at(0).toInt(), 1);
}

void tst_CoolFlex::sortProperty()
{
    Harness h(6, 3);
    const QStringList numbers = {"30", "4", "100", "", "4"};
    const QStringList names = {"c", "b", "a", "e", "d"};
    for (int r = 1; r <= 5; ++r) {
        h.flex->setTextMatrix(r, 1, numbers.at(r - 1));
        h.flex->setTextMatrix(r, 2, names.at(r - 1));
    }
    h.flex->setCol(1);
    h.flex->setRow(2);
    h.flex->setSort(CoolFlexLogic::SortGenericAscending);
    QStringList sorted;
    QStringList headings;
    for (int r = 1; r <= 5; ++r) {
        sorted << h.flex->TextMatrix(r, 1) + "/" + h.flex->TextMatrix(r, 2);
        headings << h.flex->TextMatrix(r, 0);
    }
    // Numbers by value, equal keys in their old order, then the rest; rows move whole.
    QCOMPARE(sorted, QStringList({"4/b", "4/d", "30/c", "100/a", "/e"}));
    QCOMPARE(headings, QStringList({"2", "5", "1", "3", "4"}));

    // Keys Col to Colsel, rows Row to Rowsel only.
    h.flex->setRow(1);
    h.flex->setCol(2);
    QVERIFY(h.flex->setRowsel(3));
    h.flex->setSort(CoolFlexLogic::SortStringDescending);
    QCOMPARE(h.flex->TextMatrix(1, 2), QStringLiteral("d"));
    QCOMPARE(h.flex->TextMatrix(2, 2), QStringLiteral("c"));
    QCOMPARE(h.flex->TextMatrix(3, 2), QStringLiteral("b"));
    QCOMPARE(h.flex->TextMatrix(4, 2), QStringLiteral("a"));
}

void tst_CoolFlex::headerClickSort()
{
    Harness h(5, 3);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    const QStringList values = {"b", "d", "a", "c"};
    for (int r = 1; r <= 4; ++r)
        h.flex->setTextMatrix(r, 2, values.at(r - 1));
    auto column = [&] {
        QStringList texts;
        for (int r = 1; r <= 4; ++r)
            texts << h.flex->TextMatrix(r, 2);
        return texts;
    };
    h.flex->SortOnHeaderClick(false, CoolFlexLogic::SortGenericAscending);
    h.clickHeading(2);
    QCOMPARE(column(), values);

    h.flex->SortOnHeaderClick(true, CoolFlexLogic::SortGenericDescending);
    h.clickHeading(2);
    QCOMPARE(column(), QStringList({"d", "c", "b", "a"}));
    QVERIFY(!h.editor()->isVisible());
    QCOMPARE(h.flex->TextMatrix(0, 2), QStringLiteral("H2"));
}

void tst_CoolFlex::hideColumn()
{
    Harness h(5, 5);
    h.flex->setColWidth(2, 1000);
    h.flex->setColWidth(3, 2000);
    h.flex->setColWidth(4, 1500);
    const QStringList checks = {"C", "U", "x", ""};
    const QStringList buttons = {"U", "P", "x", ""};
    for (int r = 1; r <= 4; ++r) {
        h.flex->setTextMatrix(r, 3, checks.at(r - 1));
        h.flex->setTextMatrix(r, 4, buttons.at(r - 1));
    }
    h.flex->ColType(3, CoolFlex::CellCheckBox, false);
    h.flex->ColType(4, CoolFlex::CellButton, true);

    QVERIFY(!h.flex->HideCol(3));
    QVERIFY(h.flex->setHideCol(3, true));
    QVERIFY(h.flex->setHideCol(4, true));
    QVERIFY(h.flex->HideCol(3));
    QVERIFY(h.flex->HideCol(4));
    for (int r = 1; r <= 4; ++r) {
        QCOMPARE(h.flex->cellPicture(r, 3), CoolFlex::CellPicture::None);
        QCOMPARE(h.flex->cellPicture(r, 4), CoolFlex::CellPicture::None);
    }

    QVERIFY(h.flex->setHideCol(3, false));
    QVERIFY(h.flex->setHideCol(4, false));
    QVERIFY(!h.flex->HideCol(3));
    using P = CoolFlex::CellPicture;
    const QList<P> checkPictures = {P::Checked, P::Unchecked, P::None, P::None};
    const QList<P> buttonPictures = {P::ButUpOut, P::ButUpIn, P::None, P::None};
    for (int r = 1; r <= 4; ++r) {
        QCOMPARE(h.flex->cellPicture(r, 3), checkPictures.at(r - 1));
        QCOMPARE(h.flex->cellPicture(r, 4), buttonPictures.at(r - 1));
    }
    // A shown column takes the width of the column before it.
    QCOMPARE(h.flex->grid()->columnWidth(2), h.flex->grid()->columnWidth(1));
    QCOMPARE(h.flex->grid()->columnWidth(3), h.flex->grid()->columnWidth(2));

    QVERIFY(h.flex->setHideCol(0, true));
    QVERIFY(h.flex->HideCol(0));
    QVERIFY(h.flex->setHideCol(0, false));
    QVERIFY(!h.flex->HideCol(0));
}

void tst_CoolFlex::hideRow()
{
    Harness h(5, 4);
    h.flex->setTextMatrix(2, 2, QStringLiteral("U"));
    h.flex->setTextMatrix(2, 3, QStringLiteral("P"));
    h.flex->ColType(2, CoolFlex::CellCheckBox, false);
    h.flex->ColType(3, CoolFlex::CellButton, false);
    h.flex->grid()->setRowHeight(0, 40);

    QVERIFY(h.flex->setHideRow(2, true));
    QVERIFY(h.flex->HideRow(2));
    QCOMPARE(h.flex->cellPicture(2, 2), CoolFlex::CellPicture::None);
    QCOMPARE(h.flex->cellPicture(2, 3), CoolFlex::CellPicture::None);
    QCOMPARE(h.flex->cellPicture(3, 2), CoolFlex::CellPicture::Unchecked);

    QVERIFY(h.flex->setHideRow(2, false));
    QVERIFY(!h.flex->HideRow(2));
    QCOMPARE(h.flex->cellPicture(2, 2), CoolFlex::CellPicture::Unchecked);
    QCOMPARE(h.flex->cellPicture(2, 3), CoolFlex::CellPicture::ButDelIn);
    QCOMPARE(h.flex->grid()->rowHeight(1), 40);

    QVERIFY(h.flex->setHideRow(0, true));
    QVERIFY(h.flex->HideRow(0));
    QVERIFY(h.flex->setHideRow(0, false));
    QVERIFY(!h.flex->HideRow(0));
}

void tst_CoolFlex::removeItemWhileEditing()
{
    Harness h(5, 3);
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    for (int r = 1; r <= 4; ++r)
        h.flex->setTextMatrix(r, 1, QStringLiteral("r%1").arg(r));
    h.open(2, 1);
    QTest::keyClicks(h.editor(), QStringLiteral("typed"));
    QVERIFY(h.flex->RemoveItem(2));
    QVERIFY(!h.editor()->isVisible());
    QCOMPARE(h.flex->Rows(), 4);
    QCOMPARE(h.flex->TextMatrix(1, 1), QStringLiteral("r1"));
    QCOMPARE(h.flex->TextMatrix(2, 1), QStringLiteral("r3"));
    QCOMPARE(h.flex->TextMatrix(3, 1), QStringLiteral("r4"));

    // Shrinking the grid under an open editor loses the editor, not the program.
    h.open(3, 1);
    QTest::keyClicks(h.editor(), QStringLiteral("gone"));
    h.flex->setRows(2);
    QVERIFY(!h.editor()->isVisible());
    QCOMPARE(h.flex->TextMatrix(1, 1), QStringLiteral("r1"));

    h.flex->ColType(2, CoolFlex::CellCheckBox, false);
    h.flex->Clear();
    QCOMPARE(h.flex->TextMatrix(1, 1), QString());
    QCOMPARE(h.flex->TextMatrix(0, 1), QString());
    QCOMPARE(h.flex->cellPicture(1, 2), CoolFlex::CellPicture::Unchecked);
}

void tst_CoolFlex::refusesOutOfRange()
{
    CoolFlex flex;
    QVERIFY(!flex.ColType(1, CoolFlex::CellCheckBox, false)); // no column types before Cols
    flex.setCols(3);
    flex.setRows(4);
    QVERIFY(!flex.ColType(3, CoolFlex::CellText, false));
    QVERIFY(!flex.ColType(-1, CoolFlex::CellText, false));
    QVERIFY(!flex.ComboBoxAddItem(3, QStringLiteral("x")));
    QCOMPARE(flex.ComboBoxListCount(7), -1);
    QVERIFY(!flex.setTextMatrix(4, 1, QStringLiteral("x")));
    QVERIFY(!flex.setTextMatrix(1, 3, QStringLiteral("x")));
    QCOMPARE(flex.TextMatrix(9, 9), QString());
    QVERIFY(!flex.RemoveItem(0));
    QVERIFY(!flex.setHideCol(3, true));
    QVERIFY(!flex.setRow(0));
    QCOMPARE(flex.Rows(), 4);
    QCOMPARE(flex.Cols(), 3);
    QCOMPARE(flex.Row(), 1);
    QCOMPARE(flex.Col(), 1);
}

void tst_CoolFlex::tableModel()
{
    // The cells are a plain Qt table model, kept to Qt's rules through every
    // change of the grid: the data cells are its rows and columns, the heading
    // row and the first column its header data.
    CoolFlex flex;
    QAbstractItemModel *model = flex.model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    flex.setCols(4);
    flex.setRows(6);
    QVERIFY(flex.ColType(2, CoolFlex::CellCheckBox, false));
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < 4; ++c)
            flex.setTextMatrix(r, c, QStringLiteral("%1%2").arg(QChar(u'a' + (5 - r) % 6)).arg(c));
    }
    QSignalSpy cells(model, &QAbstractItemModel::dataChanged);
    QSignalSpy headings(model, &QAbstractItemModel::headerDataChanged);
    QVERIFY(flex.setTextMatrix(2, 3, QStringLiteral("cell")));
    QVERIFY(flex.setTextMatrix(0, 2, QStringLiteral("heading")));
    QCOMPARE(cells.count(), 1);
    QCOMPARE(cells.at(0).at(0).toModelIndex(), model->index(1, 2));
    QCOMPARE(headings.count(), 1);
    QCOMPARE(headings.at(0).at(0).value<Qt::Orientation>(), Qt::Horizontal);
    QCOMPARE(headings.at(0).at(1).toInt(), 1);

    flex.setSort(CoolFlexLogic::SortStringAscending);
    QVERIFY(flex.RemoveItem(2));
    flex.setRows(8);
    QCOMPARE(model->rowCount(), 7);
    QCOMPARE(model->columnCount(), 3);
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), flex.TextMatrix(0, 3));
    for (int r = 1; r < flex.Rows(); ++r) {
        QCOMPARE(model->headerData(r - 1, Qt::Vertical).toString(), flex.TextMatrix(r, 0));
        for (int c = 1; c < flex.Cols(); ++c)
            QCOMPARE(model->index(r - 1, c - 1).data().toString(), flex.TextMatrix(r, c));
    }
    QCOMPARE(flex.TextMatrix(1, 1), QStringLiteral("a1"));
    // Text and list cells open an editor; check boxes and buttons act on a click.
    QVERIFY(model->flags(model->index(0, 0)) & Qt::ItemIsEditable);
    QVERIFY(!(model->flags(model->index(0, 1)) & Qt::ItemIsEditable));
    flex.setCols(3);
    flex.Clear();
    QCOMPARE(model->index(0, 0).data().toString(), QString());
}

QTEST_MAIN(tst_CoolFlex)
#include "tst_coolflex.moc"
