#pragma once

#include <QByteArray>
#include <QList>

#include <span>

// The simulator keeps its own record tables, apart from the console's, so that
// it checks what the console writes as an independent peer would.
namespace Sim {

// One option list packed into the option-bit field of a record: its bits (mask),
// the weight of one step and how many entries the list has.
struct OptionBit
{
    const char *control;
    quint32 mask;
    quint32 weight;
    int entries;
};

// How the simulator checks one field of a received record.
enum class FieldKind {
    Options, // option-bit word: decimal, only the listed masks, each list within its entries
    Choice, // list position 0..max, or one of the listed codes
    Number, // decimal digits, value min..max, never empty
    Digits, // decimal digits only, may be empty
    Dial, // a dial string: digits, '*', '#', '+', may be empty
    Time, // digits and ':', may be empty
    Row, // table row number: exactly two digits, value min..max
};

// The rule for one field: what the control holds and what the gateway accepts.
struct FieldRule
{
    const char *control;
    FieldKind kind;
    int width = 0; // most characters the field may hold; 0 = no limit
    int min = 0;
    int max = 0;
    std::span<const OptionBit> bits = {};
    std::span<const int> codes = {};
};

// The layout of one configuration record ("FXO", "PRF", ...): its fields in order
// and their rules. A record whose rules all pass is one the gateway stores.
struct RecordLayout
{
    const char *mnemonic;
    std::span<const FieldRule> fields;
    // Positions of the fields a shortened record carries (the FXS record without
    // ring cadence); empty when the record has one form only.
    std::span<const int> shortForm = {};
    // How many rows the record addresses through field 0 (PRF, LST); 0 for page records.
    int rows = 0;

    // The layout for a three-letter mnemonic, or null when it names no record.
    static const RecordLayout *find(const QByteArray &mnemonic);
    // Every layout, in the order the gateway reports its configuration.
    static std::span<const RecordLayout *const> all();

    bool isTable() const { return rows > 0; }
    // Empty when the fields pass every rule; otherwise why they do not.
    QByteArray check(const QList<QByteArray> &values) const;
    // Which field each value of a record with that many fields stands for; empty
    // when no form of the record has that many fields.
    QList<int> fieldPositions(qsizetype valueCount) const;
};

// The fields of a record's text after the mnemonic, cut at every ",". Nothing is
// escaped on the wire, so a value holding "," simply yields one field more.
QList<QByteArray> splitRecordFields(const QByteArray &rest);

} // namespace Sim
