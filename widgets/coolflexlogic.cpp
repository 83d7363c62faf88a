#include "coolflexlogic.h"

#include <QRegularExpression>

namespace CoolFlexLogic {

double leadingNumber(const QString &text, bool *found)
{
    static const QRegularExpression number(QStringLiteral(R"(^\s*([+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?))"));
    const QRegularExpressionMatch match = number.match(text);
    if (found)
        *found = match.hasMatch();
    return match.hasMatch() ? match.captured(1).toDouble() : 0.0;
}

namespace {

int compareNumbers(double a, double b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

// A generic key is a number when the whole text (blanks aside) reads as one.
bool wholeNumber(const QString &text, double *value)
{
    bool ok = false;
    *value = text.trimmed().toDouble(&ok);
    return ok;
}

int compareAscending(const QString &a, const QString &b, int mode)
{
    switch (mode) {
    case SortGenericAscending:
    case SortGenericDescending: {
        double x = 0;
        double y = 0;
        const bool xNumber = wholeNumber(a, &x);
        const bool yNumber = wholeNumber(b, &y);
        if (xNumber && yNumber)
            return compareNumbers(x, y);
        if (xNumber != yNumber)
            return xNumber ? -1 : 1;
        return a.compare(b, Qt::CaseInsensitive);
    }
    case SortNumericAscending:
    case SortNumericDescending:
        return compareNumbers(leadingNumber(a), leadingNumber(b));
    case SortStringNoCaseAscending:
    case SortStringNoCaseDescending:
        return a.compare(b, Qt::CaseInsensitive);
    case SortStringAscending:
    case SortStringDescending:
        return a.compare(b, Qt::CaseSensitive);
    default:
        return 0;
    }
}

} // namespace

int compareCells(const QString &a, const QString &b, int mode)
{
    const int result = compareAscending(a, b, mode);
    const bool descending = mode == SortGenericDescending || mode == SortNumericDescending
        || mode == SortStringNoCaseDescending || mode == SortStringDescending;
    return descending ? -result : result;
}

EditorKeyAction editorKeyAction(int key, const EditorKeyState &s)
{
    const bool wholeSelected = s.textLength > 0 && s.caret == 0 && s.selectionLength == s.textLength;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return EditorKeyAction::Commit;
    case Qt::Key_Escape:
        return EditorKeyAction::Discard;
    // On the last (first) data row there is no row to move to: the editor closes
    // as on Enter and leaves the grid on the same cell.
    case Qt::Key_Down:
        return s.row < s.rows - 1 ? EditorKeyAction::MoveDown : EditorKeyAction::Commit;
    case Qt::Key_Up:
        return s.row > s.fixedRows ? EditorKeyAction::MoveUp : EditorKeyAction::Commit;
    case Qt::Key_Left:
        if (s.col <= 1)
            return EditorKeyAction::PassOn;
        if (s.caret == 0 && s.selectionLength == 0)
            return EditorKeyAction::MoveLeft;
        return wholeSelected ? EditorKeyAction::CaretToStart : EditorKeyAction::PassOn;
    case Qt::Key_Right:
        if (s.col >= s.cols - 1)
            return EditorKeyAction::PassOn;
        if (s.caret == s.textLength)
            return EditorKeyAction::MoveRight;
        return wholeSelected ? EditorKeyAction::CaretToEnd : EditorKeyAction::PassOn;
    default:
        return EditorKeyAction::PassOn;
    }
}

} // namespace CoolFlexLogic
