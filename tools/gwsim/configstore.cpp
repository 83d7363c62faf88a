#include "configstore.h"

#include "recordlayout.h"

#include <array>

namespace {

struct TableRowDefault
{
    int row;
    const char *fields;
};

// A gateway as delivered to a site dialling with country code 98: follow-me off,
// pulse-free tone dialling, both SIMs in use, a few routing prefixes and numbers.
constexpr std::array<const char *, 6> kPageDefaults {
    "FXO0,,3,4,11,10,40,1,2,98,0,2,30",
    "FXS5,10,50,150,0,0,1,20",
    "GSM4,,48,0,,,1,1,5",
    "NET64,35,600,43211,43211,43211,06:00,43235,12:00,43211,18:00,43235,00:00",
    "SMS13,09121234567,09120000000",
    "GWP0,2,7,1,7,1,7,1,7,50,50,0,0,25,25,0,0,100,400,0,0",
};

constexpr std::array<TableRowDefault, 5> kPrefixDefaults {{
    {1, "0912,1"},
    {2, "0935,2"},
    {3, "0919,1"},
    {4, "00,2"},
    {5, "021,1"},
}};

constexpr std::array<TableRowDefault, 6> kNumberDefaults {{
    {1, "09121234567,31"},
    {2, "09351234567,19"},
    {3, "09197654321,21"},
    {4, "02188776655,1"},
    {5, "09123334444,3"},
    {6, "09359998877,16"},
}};

QByteArray rowText(int row)
{
    return QByteArray::number(row).rightJustified(2, '0');
}

} // namespace

ConfigStore::ConfigStore()
{
    setDefaults();
}

QByteArray ConfigStore::key(const QByteArray &mnemonic, int row)
{
    return row > 0 ? mnemonic + rowText(row) : mnemonic;
}

void ConfigStore::setDefaults()
{
    for (const char *line : kPageDefaults) {
        const QByteArray record(line);
        m_records.insert(record.left(3), Sim::splitRecordFields(record.mid(3)));
    }
    for (const char *mnemonic : {"PRF", "LST"}) {
        const Sim::RecordLayout *layout = Sim::RecordLayout::find(mnemonic);
        const QByteArray emptyRest = QByteArray(mnemonic) == "PRF" ? QByteArray(",") : QByteArray(",0");
        for (int row = 1; row <= layout->rows; ++row)
            m_records.insert(key(mnemonic, row), Sim::splitRecordFields(rowText(row) + "," + emptyRest));
    }
    for (const auto &entry : kPrefixDefaults)
        m_records.insert(key("PRF", entry.row), Sim::splitRecordFields(rowText(entry.row) + "," + entry.fields));
    for (const auto &entry : kNumberDefaults)
        m_records.insert(key("LST", entry.row), Sim::splitRecordFields(rowText(entry.row) + "," + entry.fields));
}

QList<QByteArray> ConfigStore::recordLines() const
{
    QList<QByteArray> lines;
    for (const Sim::RecordLayout *layout : Sim::RecordLayout::all()) {
        const int rows = layout->isTable() ? layout->rows : 0;
        for (int row = layout->isTable() ? 1 : 0; row <= rows; ++row)
            lines.append(layout->mnemonic + fields(layout->mnemonic, row).join(','));
    }
    return lines;
}

QByteArray ConfigStore::apply(const QByteArray &line)
{
    const Sim::RecordLayout *layout = Sim::RecordLayout::find(line.left(3));
    if (!layout)
        return "not a configuration record";
    const QList<QByteArray> values = Sim::splitRecordFields(line.mid(3));
    const QByteArray problem = layout->check(values);
    if (!problem.isEmpty())
        return problem;

    const int row = layout->isTable() ? values.first().toInt() : 0;
    QList<QByteArray> &stored = m_records[key(layout->mnemonic, row)];
    const QList<int> positions = layout->fieldPositions(values.size());
    // A shortened record leaves the fields it does not carry as they were.
    stored.resize(layout->fields.size());
    for (qsizetype i = 0; i < values.size(); ++i)
        stored[positions[i]] = values[i];
    return {};
}

QList<QByteArray> ConfigStore::fields(const QByteArray &mnemonic, int row) const
{
    return m_records.value(key(mnemonic, row));
}
