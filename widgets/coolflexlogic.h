#pragma once

#include <QString>

// The grid editor's decisions that need no widget: how the sort orders cell texts
// and what a key pressed in the in-place text editor does.
namespace CoolFlexLogic {

// The grid's sort modes, as `Sort` and the heading click take them. Modes above
// SortStringDescending (the custom mode) sort nothing, as does SortNone.
enum SortMode : int {
    SortNone = 0,
    SortGenericAscending = 1,
    SortGenericDescending = 2,
    SortNumericAscending = 3,
    SortNumericDescending = 4,
    SortStringNoCaseAscending = 5,
    SortStringNoCaseDescending = 6,
    SortStringAscending = 7,
    SortStringDescending = 8,
};

// The number at the start of a cell text (blanks skipped, optional sign, digits
// with one decimal point, optional exponent); 0 and found false when there is none.
double leadingNumber(const QString &text, bool *found = nullptr);

// Negative when a sorts before b under mode, positive when after, 0 when equal.
// Generic modes compare two numbers by value, put numbers before other texts and
// compare other texts without case; numeric modes compare leadingNumber values.
int compareCells(const QString &a, const QString &b, int mode);

// What the text editor does with a key before the key reaches it.
enum class EditorKeyAction {
    PassOn, // an ordinary key: the editor handles it
    Commit, // write the text into the cell and close
    Discard, // close, the cell keeps its text
    MoveUp,
    MoveDown,
    MoveLeft,
    MoveRight,
    CaretToStart, // end the whole-text selection with the caret at the start
    CaretToEnd, // end the whole-text selection with the caret at the end
};

// The editor and grid state a key decision looks at. caret is the selection start
// when text is selected, otherwise the cursor position.
struct EditorKeyState
{
    int caret = 0;
    int selectionLength = 0;
    int textLength = 0;
    int row = 1;
    int col = 1;
    int rows = 2;
    int cols = 2;
    int fixedRows = 1;
};

// The action for a Qt key code. Up on the first data row and Down on the last one
// close the editor as Enter does; Left and Right in the first and last data
// columns leave it open.
EditorKeyAction editorKeyAction(int key, const EditorKeyState &state);

} // namespace CoolFlexLogic
