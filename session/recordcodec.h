#pragma once

#include "recordlayouts.h"

#include <fieldcodecs.h>

#include <QString>

#include <optional>

// What the record encoder and decoder need of the page controls, addressed by
// object name: lists by position, text boxes by text, table cells as TextMatrix.
class IRecordControls
{
public:
    virtual ~IRecordControls() = default;

    // The chosen position, -1 when nothing is chosen or there is no such list.
    virtual int listPosition(const QString &control) const = 0;
    // False, and the list unchanged, when it has no such position.
    virtual bool setListPosition(const QString &control, int position) = 0;
    virtual QString text(const QString &control) const = 0;
    virtual void setText(const QString &control, const QString &text) = 0;
    virtual QString cell(const QString &table, int row, int col) const = 0;
    // False, and the table unchanged, when the cell is outside the grid.
    virtual bool setCell(const QString &table, int row, int col, const QString &text) = 0;
};

// Builds records from the page controls and applies received records to them, by
// walking the record layouts.
namespace RecordCodec {

// The command text of a record, or why it cannot be written.
struct Encoded
{
    QString command {};
    QString refusal {};

    bool ok() const { return refusal.isEmpty(); }
};

// The record of a page (not a table record) from the current controls.
Encoded encode(const RecordLayout &layout, const IRecordControls &controls);
// The record of one table row (1 to layout.rows).
Encoded encodeRow(const RecordLayout &layout, const IRecordControls &controls, int row);

// Applies a split record to the controls; every assignment stands alone, so a
// field that cannot be applied leaves its control alone and the rest still go in.
void decode(const RecordLayout &layout, const FieldCodecs::SplitResult &fields, IRecordControls &controls);

// The level codes of the GSM speaker and microphone lists and the tone level
// lists, and the list positions they come back as (nothing when out of range).
int speakerCode(int position);
std::optional<std::int16_t> speakerPosition(double code);
int microphoneCode(int position);
std::optional<std::int16_t> microphonePosition(double code);
int toneLevelCode(int position);
std::optional<std::int16_t> toneLevelPosition(double code);

} // namespace RecordCodec
