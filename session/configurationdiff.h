#pragma once

#include "configurationvalues.h"
#include "pages.h"

#include <QList>
#include <QString>
#include <QStringList>

// What differs between two configurations, told the way the operator reads the
// pages: page title, the label beside the control, list values by their entry
// text. It needs no widget, so the window's compare view and the command-line
// tool describe a difference in the same words; the pages build their labels,
// list entries and table headings from the same table of controls, so the two
// cannot drift apart.
namespace ConfigurationDiff {

// How the pages present one list, text box or table.
struct PresentedControl
{
    enum class Kind { List, Text, Table };

    Pages::Index page = Pages::PageFXO;
    Kind kind = Kind::Text;
    // The control's object name; for a table the grid's.
    QString control {};
    // The text the page shows beside the control, exactly (trailing blanks and
    // doubled blanks included). A row of boxes sharing one label shows it before
    // the first only; the others carry it as their accessible name. A table has
    // no label of its own: this is the name a screen reader gives it, the title
    // of its page.
    QString label {};
    // The caption the label is read with, as the page shows it, where the label
    // alone does not name the value ("Level" in the "Dial Tone" row, "ON" in the
    // "Cadence Busy Tone " row, "IN" under "Voice Rate Type"); empty otherwise.
    QString caption {};
    // Counting from 1, left to right: the control's place among the controls that
    // show the same caption and label on the page ("ON" twice in a cadence row);
    // 0 where the label is the control's alone.
    int place = 0;
    // A list's entries, position 0 first; a table's column headings (its row 0),
    // column 0 (the row numbers' heading) first.
    QStringList entries {};
    // The most characters a text box takes (0 for no limit), and the unit the page
    // shows after it.
    int width = 0;
    QString unit {};
    // A table's data rows (1 to rows below the heading row).
    int rows = 0;
    // Whether a record carries the value. A list that only picks values for other
    // controls (the ring-signal selector) is shown but not held by the gateway.
    bool held = true;
};

// Every list, text box and table of the configuration pages, in page order
// (Pages::Index) and on each page in record layout order.
const QList<PresentedControl> &presentedControls();
// The entry of a control or table by object name; null when there is none.
const PresentedControl *presented(const QString &control);

// The title the operator knows a page by: the caption of the toolbar button that
// shows it ("Prefixes", "Number list", "FXO", "FXS", "GSM", "SMS", "Gateway", and
// "Debug" for the monitor page, which holds no configuration); empty for no page.
QString pageTitle(int page);

// A page text as a one-line name: blanks trimmed and runs of blanks made one, and
// a trailing ':' dropped ("Cadence of Busy tone on FXO port " gives "Cadence of
// Busy tone on FXO port").
QString displayText(const QString &shown);

// The name a difference gives a list or text box: its caption, a comma and its
// label, then its place ("Dial Pause (1-255 x 0.1 sec)", "Dial Tone, Level",
// "Cadence Busy Tone, ON 2", "Net ID for period 3"), each part as displayText.
QString controlLabel(const PresentedControl &control);
// The name a difference gives a table cell: "row 6, Prefix".
QString cellLabel(const PresentedControl &table, int row, int col);

// One value the gateway holds that differs between two configurations.
struct Difference
{
    Pages::Index page = Pages::PageFXO;
    QString pageTitle {};
    // The list's or text box's object name, or for a cell the table's.
    QString control {};
    // A table cell's data row and column (both from 1); 0 for a list or text box.
    int row = 0;
    int col = 0;
    QString label {};
    // The values as the page shows them: a list by its entry text (trimmed), an
    // empty text, a list with no entry chosen or an empty cell as empty text.
    QString valueA {};
    QString valueB {};

    bool isCell() const { return row > 0; }

    friend bool operator==(const Difference &, const Difference &) = default;
};

// The values of a (the pages, or a file) and b (the gateway, or another file)
// that differ, in page order, then record layout order, then table row and
// column. Only what a record carries counts: table headings, row numbers and
// the ring-signal selector never differ. The ring and pause boxes count as the
// FXS record carries them: while the selector stands on a preset, the preset's
// values rather than the boxes' texts, so a page and the file saved from it
// compare equal.
QList<Difference> differences(const ConfigurationValues &a, const ConfigurationValues &b);
// The same, restricted to pages (Pages::Index values); no page gives nothing.
QList<Difference> differences(const ConfigurationValues &a, const ConfigurationValues &b, const QList<int> &pages);

// One difference as one line for scripts, without a line end: page title, label,
// value a, value b, separated by tabs. A backslash, tab, line feed or carriage
// return inside a part is written as \\, \t, \n or \r, so a line always splits
// into exactly four parts and each reads back unchanged.
QString scriptLine(const Difference &difference);

// A short sentence for the operator: "No differences.", "1 difference, on FXO."
// or "5 differences: 3 on FXO, 2 on Prefixes." (pages in the order of the list).
QString summary(const QList<Difference> &differences);

} // namespace ConfigurationDiff
