#pragma once

#include "pages.h"

#include <QList>
#include <QString>
#include <QStringList>

// How a field of a configuration record maps to a page control.
enum class FieldKind {
    OptionBits, // a list packed into field 0: position times weight, back as (value AND mask) / weight
    List, // a list: its position as decimal text
    Text, // a text box: written and set unchanged
    NumberText, // a text box: written unchanged, set to the number text of the field
    ToneLevel, // a tone level list: code 7 - position
    SpeakerCode, // the speaker level list: code position * 16
    MicrophoneCode, // the microphone level list: twice the gain in dB as an 8-bit two's-complement number
    RowNumber, // a table record's row, two digits with a leading zero
    Cell, // a table cell: written and set unchanged
    NumberCell, // a table cell: written unchanged, set to the number text of the field
    PackedCells, // several table cells, each a bit of one number (column c has weight 1 << (c - column))
};

// One field of a record, or one list of the option bits of field 0.
struct FieldLayout
{
    int field = 0;
    FieldKind kind = FieldKind::Text;
    // The control's object name; an element of a control array carries "_<index>".
    QString control {};
    // The text the operator reads beside the control.
    QString label {};
    // The list entries, position 0 first; empty for text boxes and cells.
    QStringList entries {};
    // The most characters a text box takes; 0 for no limit.
    int width = 0;
    int weight = 0;
    int mask = 0;
    // The first table column of a cell field, and the number of columns it packs.
    int column = 0;
    int columnCount = 1;
    // The caption of the group of controls the field stands in on its page, and the
    // unit shown after a text box; both empty when the page shows none.
    QString group {};
    QString unit {};
};

// A list whose position chooses fixed values for some fields of its record when
// the record is written; its last preset position writes the fields' own texts
// instead. It is not a field itself, so a received record leaves it alone.
struct FieldSelector
{
    QString control {};
    QString label {};
    QStringList entries {};
    // The values written for each preset position, one per selected field.
    QList<QStringList> presets {};
    // The fields the selector decides, in record order.
    QList<int> fields {};
    // The position that writes the controls' own texts.
    int customPosition = 0;
};

// One configuration record: its mnemonic, the page it belongs to and its fields.
struct RecordLayout
{
    QString code {};
    // The record's page, a Pages::Index.
    int page = 0;
    int fieldCount = 0;
    // Field 0 as a 32-bit number on receipt (otherwise 16-bit).
    bool wideOptionWord = false;
    QList<FieldLayout> fields {};
    QList<FieldSelector> selectors {};
    // The queue description of the record; for a table record the prefix of the row number.
    QString description {};
    // The table a row record fills, its object name, and its number of data rows.
    QString table {};
    int rows = 0;

    bool isTableRecord() const { return !table.isEmpty(); }
    const FieldLayout *findControl(const QString &control) const;
};

// The eight configuration records, described once for the encoder, the decoder
// and the page forms.
namespace RecordLayouts {

// The list entries several records share.
QStringList disableEnable();
QStringList levelEntries(); // speaker and microphone levels
QStringList toneLevelEntries();

const QList<RecordLayout> &all();
// The layout of the record with this mnemonic; null when there is none.
const RecordLayout *find(const QString &code);
// The layout whose fields or selectors name this control; null when none does.
const RecordLayout *findByControl(const QString &control);

// The object name of element index of a control array.
QString element(const QString &name, int index);

} // namespace RecordLayouts
