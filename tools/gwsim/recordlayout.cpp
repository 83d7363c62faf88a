#include "recordlayout.h"

#include <array>

namespace Sim {

namespace {

using K = FieldKind;

constexpr int kSmallest = 0;

// Speaker codes of the seven levels "+6 dB" .. "-6 dB" (position x 16).
constexpr std::array<int, 7> kSpeakerCodes {0, 16, 32, 48, 64, 80, 96};
// Microphone codes of the same levels: twice the gain in dB, 8-bit two's complement.
constexpr std::array<int, 7> kMicrophoneCodes {12, 8, 4, 0, 252, 248, 244};

constexpr std::array<OptionBit, 5> kFxoBits {{
    {"cmbFXO_AGSM", 0x03, 1, 3},
    {"cmbFXO_NetPRF", 0x04, 4, 2},
    {"cmbFXO_TestNum", 0x08, 8, 2},
    {"cmbFXO_CID", 0x30, 16, 3},
    {"cmbFXO_DMode", 0x40, 64, 2},
}};

constexpr std::array<FieldRule, 13> kFxoFields {{
    {"cmbFXO_*", K::Options, 0, 0, 0, kFxoBits},
    {"txtFXO_Follow", K::Dial, 16},
    {"txtNumRing", K::Number, 1, 0, 9},
    {"txtFXO_Min", K::Number, 32, 1, 32},
    {"txtFXO_Max", K::Number, 32, 1, 32},
    {"txtFXO_DLP", K::Number, 3, 1, 255},
    {"txtFXO_WTP", K::Number, 3, 1, 255},
    {"cmbFXO_BT", K::Choice, 0, kSmallest, 3},
    {"cmbFXO_BT2", K::Choice, 0, kSmallest, 3},
    {"txtFXO_Country", K::Digits, 8},
    {"txtFXO_NTNL", K::Digits, 4},
    {"txtFXO_PauseNDD", K::Number, 1, 0, 9},
    {"txtFXO_Unobt", K::Number, 3, 0, 255},
}};

constexpr std::array<OptionBit, 3> kFxsBits {{
    {"cmbFXS_CID", 0x03, 1, 3},
    {"cmbFXS_CID_on", 0x04, 4, 2},
    {"cmbFXS_Unlist", 0x08, 8, 2},
}};

constexpr std::array<FieldRule, 8> kFxsFields {{
    {"cmbFXS_*", K::Options, 0, 0, 0, kFxsBits},
    {"txtFXS_DLP", K::Number, 3, 1, 255},
    {"txtFXS_Ring(0)", K::Number, 3, 0, 999},
    {"txtFXS_Pause(0)", K::Number, 3, 0, 999},
    {"txtFXS_Ring(1)", K::Number, 3, 0, 999},
    {"txtFXS_Pause(1)", K::Number, 3, 0, 999},
    {"cmbFXS_Polar", K::Choice, 0, kSmallest, 3},
    {"txtFXS_Polar", K::Number, 3, 0, 255},
}};
// With no ring signal chosen the console leaves the cadence out.
constexpr std::array<int, 4> kFxsShortForm {0, 1, 6, 7};

constexpr std::array<OptionBit, 6> kGsmBits {{
    {"cmbGSM_FxoAccess", 0x03, 1, 4},
    {"cmbGSM_FxoViaNum", 0x04, 4, 2},
    {"cmbGSM_CallVia", 0x08, 8, 2},
    {"cmbGSM_PreNum", 0x30, 16, 3},
    {"cmbGSM_RepFXO", 0x40, 64, 2},
    {"cmbGSM_inCall", 0x80, 128, 2},
}};

constexpr std::array<FieldRule, 9> kGsmFields {{
    {"cmbGSM_*", K::Options, 0, 0, 0, kGsmBits},
    {"txtGSM_ATL", K::Dial, 16},
    {"cmbGSM_SPK", K::Choice, 0, 0, 0, {}, kSpeakerCodes},
    {"cmbGSM_MIC", K::Choice, 0, 0, 0, {}, kMicrophoneCodes},
    {"txtGSM_PIN1", K::Digits, 8},
    {"txtGSM_PIN2", K::Digits, 8},
    {"cmbGSM_Rate(1)", K::Choice, 0, kSmallest, 5},
    {"cmbGSM_Rate(0)", K::Choice, 0, kSmallest, 5},
    {"cmbGSM_Band", K::Choice, 0, kSmallest, 6},
}};

// Bits 2, 3 and 7 are always written as 0, so they are not in any mask.
constexpr std::array<OptionBit, 3> kNetBits {{
    {"cmbGSM_CELL", 0x03, 1, 3},
    {"cmbGSM_NET", 0x30, 16, 3},
    {"cmbGSM_TonGsm", 0x40, 64, 2},
}};

constexpr std::array<FieldRule, 13> kNetFields {{
    {"cmbGSM_CELL/NET/TonGsm", K::Options, 0, 0, 0, kNetBits},
    {"txtGSM_RXL", K::Number, 2, 0, 99},
    {"txtGSM_PRD", K::Number, 5, 0, 99999},
    {"txtGSM_IDCELL", K::Digits, 6},
    {"txtGSM_MNL", K::Digits, 6},
    {"txtGSM_SLCT(0)", K::Digits, 6},
    {"txtGSM_TMR(0)", K::Time, 5},
    {"txtGSM_SLCT(1)", K::Digits, 6},
    {"txtGSM_TMR(1)", K::Time, 5},
    {"txtGSM_SLCT(2)", K::Digits, 6},
    {"txtGSM_TMR(2)", K::Time, 5},
    {"txtGSM_SLCT(3)", K::Digits, 6},
    {"txtGSM_TMR(3)", K::Time, 5},
}};

constexpr std::array<OptionBit, 5> kSmsBits {{
    {"cmbSMS_CallBack", 0x01, 1, 2},
    {"cmbSMS_fxo", 0x02, 2, 2},
    {"cmbSMS_Setup", 0x04, 4, 2},
    {"cmbSMS_Confrim", 0x08, 8, 2},
    {"cmbSMS_Control", 0x10, 16, 2},
}};

constexpr std::array<FieldRule, 3> kSmsFields {{
    {"cmbSMS_*", K::Options, 0, 0, 0, kSmsBits},
    {"txtSMS_SpeNum", K::Dial, 16},
    {"txtSMS_Service", K::Dial, 16},
}};

// Tone cadences are in units of 10 ms; the boxes have no length limit, the
// gateway keeps each as a 16-bit value.
constexpr int kCadenceMax = 65535;

constexpr std::array<FieldRule, 21> kGwpFields {{
    {"cmbTONE_Work", K::Choice, 0, kSmallest, 1},
    {"cmbTONE_Type(0)", K::Choice, 0, kSmallest, 3},
    {"cmbTONE_Type(1)", K::Choice, 0, kSmallest, 7},
    {"cmbTONE_Type(2)", K::Choice, 0, kSmallest, 2},
    {"cmbTONE_Type(3)", K::Choice, 0, kSmallest, 7},
    {"cmbTONE_Type(4)", K::Choice, 0, kSmallest, 2},
    {"cmbTONE_Type(5)", K::Choice, 0, kSmallest, 7},
    {"cmbTONE_Type(6)", K::Choice, 0, kSmallest, 2},
    {"cmbTONE_Type(7)", K::Choice, 0, kSmallest, 7},
    {"txtTONE(4)", K::Number, 0, 0, kCadenceMax},
    {"txtTONE(5)", K::Number, 0, 0, kCadenceMax},
    {"txtTONE(6)", K::Number, 0, 0, kCadenceMax},
    {"txtTONE(7)", K::Number, 0, 0, kCadenceMax},
    {"txtTONE(8)", K::Number, 0, 0, kCadenceMax},
    {"txtTONE(9)", K::Number, 0, 0, kCadenceMax},
    {"txtTONE(10)", K::Number, 0, 0, kCadenceMax},
    {"txtTONE(11)", K::Number, 0, 0, kCadenceMax},
    {"txtTONE(12)", K::Number, 0, 0, kCadenceMax},
    {"txtTONE(13)", K::Number, 0, 0, kCadenceMax},
    {"txtTONE(14)", K::Number, 0, 0, kCadenceMax},
    {"txtTONE(15)", K::Number, 0, 0, kCadenceMax},
}};

// The prefix table's cells take at most 7 characters. The SIM number cell shows
// the number text of what the gateway sent, so an empty one comes back as "0".
constexpr std::array<FieldRule, 3> kPrfFields {{
    {"ucPRF row", K::Row, 2, 1, 32},
    {"ucPRF Prefix", K::Dial, 7},
    {"ucPRF SIM number", K::Digits, 7},
}};

// The number list's cells take at most 16 characters; field 2 packs the five
// permission columns FXO, FXS, CALLBACK, Conference, GSM as bits 0..4.
constexpr std::array<FieldRule, 3> kLstFields {{
    {"ucNumList row", K::Row, 2, 1, 64},
    {"ucNumList GSM number", K::Dial, 16},
    {"ucNumList permissions", K::Number, 2, 0, 31},
}};

constexpr RecordLayout kFxo {"FXO", kFxoFields};
constexpr RecordLayout kFxs {"FXS", kFxsFields, kFxsShortForm};
constexpr RecordLayout kGsm {"GSM", kGsmFields};
constexpr RecordLayout kNet {"NET", kNetFields};
constexpr RecordLayout kSms {"SMS", kSmsFields};
constexpr RecordLayout kGwp {"GWP", kGwpFields};
constexpr RecordLayout kPrf {"PRF", kPrfFields, {}, 32};
constexpr RecordLayout kLst {"LST", kLstFields, {}, 64};

constexpr std::array<const RecordLayout *, 8> kLayouts {&kFxo, &kFxs, &kGsm, &kNet, &kSms, &kGwp, &kPrf, &kLst};

bool allOf(const QByteArray &value, bool (*accept)(char))
{
    for (const char c : value) {
        if (!accept(c))
            return false;
    }
    return true;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isDialCharacter(char c)
{
    return isDigit(c) || c == '*' || c == '#' || c == '+';
}

bool isTimeCharacter(char c)
{
    return isDigit(c) || c == ':';
}

// The value of a non-empty run of decimal digits; -1 when it is not one or is
// too long to matter (every range here fits in six digits).
qint64 decimalValue(const QByteArray &value)
{
    if (value.isEmpty() || value.size() > 9 || !allOf(value, isDigit))
        return -1;
    return value.toLongLong();
}

QByteArray checkOptions(const FieldRule &rule, const QByteArray &value)
{
    const qint64 word = decimalValue(value);
    if (word < 0)
        return "option bits are not a decimal number";
    quint32 known = 0;
    for (const OptionBit &bit : rule.bits)
        known |= bit.mask;
    if (word > 0xFFFF || (quint32(word) & ~known) != 0)
        return "option bits outside the masks";
    for (const OptionBit &bit : rule.bits) {
        const quint32 position = (quint32(word) & bit.mask) / bit.weight;
        if (position >= quint32(bit.entries))
            return QByteArray(bit.control) + " position " + QByteArray::number(position) + " beyond its "
                + QByteArray::number(bit.entries) + " entries";
    }
    return {};
}

QByteArray checkField(const FieldRule &rule, const QByteArray &value)
{
    if (rule.width > 0 && value.size() > rule.width)
        return "longer than " + QByteArray::number(rule.width) + " characters";
    switch (rule.kind) {
    case K::Options:
        return checkOptions(rule, value);
    case K::Choice: {
        const qint64 position = decimalValue(value);
        if (!rule.codes.empty()) {
            for (const int code : rule.codes) {
                if (position == code)
                    return {};
            }
            return "not one of the list's codes";
        }
        if (position < rule.min || position > rule.max)
            return "list position outside 0-" + QByteArray::number(rule.max);
        return {};
    }
    case K::Number: {
        const qint64 number = decimalValue(value);
        if (number < 0)
            return "not a decimal number";
        if (number < rule.min || number > rule.max)
            return "outside " + QByteArray::number(rule.min) + "-" + QByteArray::number(rule.max);
        return {};
    }
    case K::Digits:
        return allOf(value, isDigit) ? QByteArray() : QByteArray("holds a character other than a digit");
    case K::Dial:
        return allOf(value, isDialCharacter) ? QByteArray() : QByteArray("holds a character not dialable");
    case K::Time:
        return allOf(value, isTimeCharacter) ? QByteArray() : QByteArray("holds a character other than digits or ':'");
    case K::Row: {
        const qint64 row = value.size() == 2 ? decimalValue(value) : -1;
        if (row < rule.min || row > rule.max)
            return "row is not two digits within " + QByteArray::number(rule.min) + "-" + QByteArray::number(rule.max);
        return {};
    }
    }
    return "unknown rule";
}

} // namespace

const RecordLayout *RecordLayout::find(const QByteArray &mnemonic)
{
    for (const RecordLayout *layout : kLayouts) {
        if (mnemonic == layout->mnemonic)
            return layout;
    }
    return nullptr;
}

std::span<const RecordLayout *const> RecordLayout::all()
{
    return kLayouts;
}

QList<int> RecordLayout::fieldPositions(qsizetype valueCount) const
{
    QList<int> positions;
    if (valueCount == qsizetype(fields.size())) {
        for (int i = 0; i < int(fields.size()); ++i)
            positions.append(i);
    } else if (!shortForm.empty() && valueCount == qsizetype(shortForm.size())) {
        positions = QList<int>(shortForm.begin(), shortForm.end());
    }
    return positions;
}

QByteArray RecordLayout::check(const QList<QByteArray> &values) const
{
    const QList<int> positions = fieldPositions(values.size());
    if (positions.isEmpty())
        return QByteArray::number(values.size()) + " fields where " + QByteArray::number(fields.size())
            + " are expected";
    for (qsizetype i = 0; i < values.size(); ++i) {
        const FieldRule &rule = fields[positions[i]];
        const QByteArray problem = checkField(rule, values[i]);
        if (!problem.isEmpty())
            return "field " + QByteArray::number(positions[i]) + " (" + rule.control + "): " + problem;
    }
    return {};
}

QList<QByteArray> splitRecordFields(const QByteArray &rest)
{
    return rest.split(',');
}

} // namespace Sim
