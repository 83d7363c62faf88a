#include "recordcodec.h"

#include <QStringList>

#include <algorithm>
#include <functional>

using FieldCodecs::numberText;
using FieldCodecs::numericValue;
using FieldCodecs::toInt16;
using FieldCodecs::toInt32;

namespace {

// Level lists run from +6 dB (position 0) down in 2 dB steps; the microphone
// code is twice the gain as an 8-bit two's-complement number.
constexpr int kMicZeroPosition = 3;
constexpr int kMicNegativeFrom = 200;
constexpr int kToneLevelTop = 7;
constexpr int kSpeakerStep = 16;

QString listCode(const FieldLayout &field, int position)
{
    switch (field.kind) {
    case FieldKind::ToneLevel:
        return QString::number(RecordCodec::toneLevelCode(position));
    case FieldKind::SpeakerCode:
        return QString::number(RecordCodec::speakerCode(position));
    case FieldKind::MicrophoneCode:
        return QString::number(RecordCodec::microphoneCode(position));
    default:
        return QString::number(position);
    }
}

std::optional<std::int16_t> listPositionOf(const FieldLayout &field, const QString &value)
{
    const double number = numericValue(value);
    switch (field.kind) {
    case FieldKind::ToneLevel:
        return RecordCodec::toneLevelPosition(number);
    case FieldKind::SpeakerCode:
        return RecordCodec::speakerPosition(number);
    case FieldKind::MicrophoneCode:
        return RecordCodec::microphonePosition(number);
    default:
        return toInt16(number);
    }
}

QString rowText(int row)
{
    return FieldCodecs::padText(QString::number(row), 2, QStringLiteral("0"), 0);
}

QString tableName(const RecordLayout &layout)
{
    return layout.description.trimmed();
}

} // namespace

namespace RecordCodec {

int speakerCode(int position)
{
    return position * kSpeakerStep;
}

std::optional<std::int16_t> speakerPosition(double code)
{
    return toInt16(code / kSpeakerStep);
}

int microphoneCode(int position)
{
    return position <= kMicZeroPosition ? 12 - 4 * position : 256 - 4 * (position - kMicZeroPosition);
}

std::optional<std::int16_t> microphonePosition(double code)
{
    return code > kMicNegativeFrom ? toInt16(67 - code / 4) : toInt16(3 - code / 4);
}

int toneLevelCode(int position)
{
    return kToneLevelTop - position;
}

std::optional<std::int16_t> toneLevelPosition(double code)
{
    return toInt16(kToneLevelTop - code);
}

Encoded encode(const RecordLayout &layout, const IRecordControls &controls)
{
    QStringList fields(layout.fieldCount);
    // Positions are at least -1 and weights at most 128, so a sum of real list
    // positions always fits 16 bits; a sum that did not is refused, not wrapped.
    double optionWord = 0;
    bool hasOptionBits = false;
    for (const FieldLayout &field : layout.fields) {
        switch (field.kind) {
        case FieldKind::OptionBits:
            hasOptionBits = true;
            optionWord += double(controls.listPosition(field.control)) * field.weight;
            break;
        case FieldKind::List:
        case FieldKind::ToneLevel:
        case FieldKind::SpeakerCode:
        case FieldKind::MicrophoneCode:
            fields[field.field] = listCode(field, controls.listPosition(field.control));
            break;
        case FieldKind::Text:
        case FieldKind::NumberText:
            fields[field.field] = controls.text(field.control);
            break;
        default:
            break;
        }
    }
    if (hasOptionBits) {
        const auto word = toInt16(optionWord);
        if (!word) {
            return {.refusal = QStringLiteral("%1: the option lists give a value outside the record's range.")
                                   .arg(layout.description)};
        }
        fields[0] = QString::number(*word);
    }

    QList<int> omitted;
    for (const FieldSelector &selector : layout.selectors) {
        const int position = controls.listPosition(selector.control);
        if (position >= 0 && position < selector.presets.size()) {
            for (int i = 0; i < selector.fields.size(); ++i)
                fields[selector.fields[i]] = selector.presets[position].value(i);
        } else if (position != selector.customPosition) {
            omitted += selector.fields;
        }
    }
    std::sort(omitted.begin(), omitted.end(), std::greater<>());
    for (int field : omitted)
        fields.removeAt(field);

    return {.command = layout.code + fields.join(QLatin1Char(','))};
}

Encoded encodeRow(const RecordLayout &layout, const IRecordControls &controls, int row)
{
    QStringList fields(layout.fieldCount);
    for (const FieldLayout &field : layout.fields) {
        switch (field.kind) {
        case FieldKind::RowNumber:
            fields[field.field] = rowText(row);
            break;
        case FieldKind::Cell:
        case FieldKind::NumberCell:
            fields[field.field] = controls.cell(layout.table, row, field.column);
            break;
        case FieldKind::PackedCells: {
            double sum = 0;
            for (int c = 0; c < field.columnCount; ++c)
                sum += numericValue(controls.cell(layout.table, row, field.column + c)) * (1 << c);
            // Any number may be typed into a cell; one that throws the packed
            // value out of 16 bits would write garbage, so the row is refused.
            const auto packed = toInt16(sum);
            if (!packed) {
                return {.refusal = QStringLiteral("%1 row %2: the permission cells %3 to %4 must hold 0 or 1; "
                                                  "their values do not fit the record, so nothing was written.")
                                       .arg(tableName(layout))
                                       .arg(row)
                                       .arg(field.entries.value(0), field.entries.value(field.columnCount - 1))};
            }
            fields[field.field] = QString::number(*packed);
            break;
        }
        default:
            break;
        }
    }
    return {.command = layout.code + fields.join(QLatin1Char(','))};
}

void decode(const RecordLayout &layout, const FieldCodecs::SplitResult &fields, IRecordControls &controls)
{
    if (layout.isTableRecord()) {
        const auto row = toInt32(numericValue(fields[0]));
        // Row 0 is the heading row: a record naming it, or a row past the last,
        // changes nothing.
        if (!row || *row < 1 || *row > layout.rows)
            return;
        for (const FieldLayout &field : layout.fields) {
            const QString &value = fields[field.field];
            switch (field.kind) {
            case FieldKind::Cell:
                controls.setCell(layout.table, *row, field.column, value);
                break;
            case FieldKind::NumberCell:
                controls.setCell(layout.table, *row, field.column, numberText(numericValue(value)));
                break;
            case FieldKind::PackedCells:
                if (const auto packed = toInt32(numericValue(value))) {
                    for (int c = 0; c < field.columnCount; ++c) {
                        const bool set = (*packed >> c) & 1;
                        controls.setCell(
                            layout.table, *row, field.column + c, set ? QStringLiteral("1") : QStringLiteral("0"));
                    }
                }
                break;
            default:
                break;
            }
        }
        return;
    }

    const double wordValue = numericValue(fields[0]);
    const std::optional<std::int32_t> optionWord
        = layout.wideOptionWord ? toInt32(wordValue) : std::optional<std::int32_t>(toInt16(wordValue));
    for (const FieldLayout &field : layout.fields) {
        const QString &value = fields[field.field];
        switch (field.kind) {
        case FieldKind::OptionBits:
            if (optionWord)
                controls.setListPosition(field.control, (*optionWord & field.mask) / field.weight);
            break;
        case FieldKind::List:
        case FieldKind::ToneLevel:
        case FieldKind::SpeakerCode:
        case FieldKind::MicrophoneCode:
            if (const auto position = listPositionOf(field, value))
                controls.setListPosition(field.control, *position);
            break;
        case FieldKind::Text:
            controls.setText(field.control, value);
            break;
        case FieldKind::NumberText:
            controls.setText(field.control, numberText(numericValue(value)));
            break;
        default:
            break;
        }
    }
}

} // namespace RecordCodec
