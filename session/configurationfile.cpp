#include "configurationfile.h"

#include "pagerecords.h"
#include "recordlayouts.h"

#include <fieldcodecs.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QStringList>

namespace ConfigurationFile {

namespace {

const QString kTitleLine = QStringLiteral("# Varlisk gateway configuration");
const QString kVersionPrefix = QStringLiteral("# version: ");
const QString kSourcePrefix = QStringLiteral("# read from: ");

// A whole configuration is a few kilobytes; a file far beyond is not one.
constexpr qint64 kMaxFileSize = 1024 * 1024;
constexpr int kCodeLength = 3;
constexpr ushort kLatin1Last = 0xFF;

// A record line that passed its checks: its layout and, for a table record, its row.
struct Checked
{
    const RecordLayout *layout = nullptr;
    int row = 0;
    QString problem {};
};

// The fields of a record after its mnemonic, split as the link splits a received
// line: the first search for a separator starts at the second character, so a
// separator in the very first position belongs to the first field.
QStringList fieldsOf(const QString &rest)
{
    QStringList fields = rest.mid(1).split(QLatin1Char(','));
    fields[0].prepend(rest.left(1));
    return fields;
}

QString fieldName(const RecordLayout &layout, int field)
{
    for (const FieldLayout &candidate : layout.fields) {
        if (candidate.field != field)
            continue;
        switch (candidate.kind) {
        case FieldKind::OptionBits:
            return QStringLiteral("option lists");
        case FieldKind::RowNumber:
            return QStringLiteral("row number");
        case FieldKind::PackedCells:
            return candidate.entries.join(QLatin1Char('/'));
        default:
            return candidate.label.simplified();
        }
    }
    return QString();
}

QString rowName(const RecordLayout &layout, int row)
{
    return QStringLiteral("%1 row %2").arg(layout.code).arg(row, 2, 10, QLatin1Char('0'));
}

// Checks the form of one record line: a known mnemonic, text the wire carries as
// one line, the record's field count and, for a table record, a row it has.
Checked checkRecord(const QString &line)
{
    const QString code = line.left(kCodeLength);
    const RecordLayout *layout = RecordLayouts::find(code);
    if (!layout)
        return {.problem = QStringLiteral("\"%1\" is not a configuration record").arg(code)};
    for (const QChar c : line) {
        // The link ends a line at CR, so a record holding one reaches the gateway cut.
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return {.problem = QStringLiteral("%1 record holds a line break").arg(code)};
        if (c.unicode() > kLatin1Last)
            return {.problem = QStringLiteral("%1 record holds \"%2\", which is not Latin-1 text").arg(code, c)};
    }

    const QStringList fields = fieldsOf(line.mid(kCodeLength));
    if (fields.size() != layout->fieldCount) {
        return {.problem = QStringLiteral("%1 record has %2 fields, %3 expected")
                               .arg(code)
                               .arg(fields.size())
                               .arg(layout->fieldCount)};
    }
    int row = 0;
    if (layout->isTableRecord()) {
        const auto number = FieldCodecs::toInt32(FieldCodecs::numericValue(fields[0]));
        if (!number || *number < 1 || *number > layout->rows) {
            return {.problem = QStringLiteral("%1 row \"%2\" is out of range (rows 1 to %3)")
                                   .arg(code, fields[0], QString::number(layout->rows))};
        }
        row = *number;
    }
    return {.layout = layout, .row = row};
}

// Applies a checked record to values, which must still hold the start-up state
// for every control the record sets, and encodes it back. Empty when that gives
// the line itself, so that opening the file and writing it to a gateway sends
// exactly the file's lines; otherwise the first field the page holds differently.
QString applyAndCompare(const QString &line, const Checked &checked, ConfigurationValues &values)
{
    const RecordLayout &layout = *checked.layout;
    const QString rest = line.mid(kCodeLength);
    RecordCodec::decode(layout, *FieldCodecs::splitString(rest, QLatin1Char(',')), values);
    const RecordCodec::Encoded back = layout.isTableRecord() ? RecordCodec::encodeRow(layout, values, checked.row)
                                                             : RecordCodec::encode(layout, values);
    if (!back.ok())
        return back.refusal;
    if (back.command == line)
        return QString();

    const QStringList given = fieldsOf(rest);
    const QStringList held = fieldsOf(back.command.mid(kCodeLength));
    for (int i = 0; i < given.size(); ++i) {
        if (i >= held.size() || given[i] != held[i]) {
            const QString name = fieldName(layout, i);
            return QStringLiteral("%1 field %2%3 is \"%4\", which the page holds as \"%5\"")
                .arg(layout.code)
                .arg(i + 1)
                .arg(name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(name), given[i], held.value(i));
        }
    }
    return QStringLiteral("%1 record is held as \"%2\"").arg(layout.code, back.command);
}

QString recordKey(const Checked &checked)
{
    return checked.layout->isTableRecord() ? rowName(*checked.layout, checked.row) : checked.layout->code;
}

// The first record of a page that is not in seen: "the NET record" or "PRF row 07".
QString missingRecord(int page, const QHash<QString, int> &seen)
{
    for (const RecordLayout &layout : RecordLayouts::all()) {
        if (layout.page != page)
            continue;
        if (!layout.isTableRecord()) {
            if (!seen.contains(layout.code))
                return QStringLiteral("the %1 record").arg(layout.code);
            continue;
        }
        for (int row = 1; row <= layout.rows; ++row) {
            if (!seen.contains(rowName(layout, row)))
                return rowName(layout, row);
        }
    }
    return QString();
}

// A header text on one comment line: a line break in it would start a record line.
QByteArray headerText(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.toLatin1();
}

ReadResult refuse(int line, const QString &reason)
{
    return {.error = line > 0 ? QStringLiteral("line %1: %2").arg(line).arg(reason) : reason, .line = line};
}

} // namespace

QList<QueueEntry> records(const IRecordControls &values, const QList<int> &pages, QString *refusal)
{
    QList<QueueEntry> entries;
    for (const int page : kPageOrder) {
        if (!pages.contains(page))
            continue;
        const PageRecords::SaveRecords save = PageRecords::build(page, values);
        if (!save.refusal.isEmpty()) {
            if (refusal)
                *refusal = save.refusal;
            return {};
        }
        entries += save.entries;
    }
    return entries;
}

QByteArray compose(const IRecordControls &values, const Header &header, const QList<int> &pages, QString *error)
{
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return QByteArray();
    };
    QString refusal;
    const QList<QueueEntry> entries = records(values, pages, &refusal);
    if (!refusal.isEmpty())
        return fail(refusal);
    if (entries.isEmpty())
        return fail(QStringLiteral("No page with records to save."));

    ConfigurationValues scratch;
    scratch.prepareForStartup();
    for (const QueueEntry &entry : entries) {
        const Checked checked = checkRecord(entry.Cmd);
        const QString problem = checked.layout ? applyAndCompare(entry.Cmd, checked, scratch) : checked.problem;
        if (!problem.isEmpty())
            return fail(QStringLiteral("%1 cannot be saved to a file: %2.").arg(entry.Desc.trimmed(), problem));
    }

    QByteArray bytes = kTitleLine.toLatin1() + '\n';
    if (!header.version.isEmpty())
        bytes += kVersionPrefix.toLatin1() + headerText(header.version) + '\n';
    if (!header.source.isEmpty())
        bytes += kSourcePrefix.toLatin1() + headerText(header.source) + '\n';
    for (const QueueEntry &entry : entries)
        bytes += entry.Cmd.toLatin1() + '\n';
    return bytes;
}

QByteArray compose(const IRecordControls &values, const Header &header, QString *error)
{
    return compose(values, header, QList<int>(kPageOrder.begin(), kPageOrder.end()), error);
}

ReadResult parse(const QByteArray &bytes)
{
    // An editor that re-saved the file as UTF-8 has changed every character past
    // ASCII, which no field check could notice.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return refuse(1, QStringLiteral("the file is UTF-8 text (it starts with a byte order mark), not Latin-1"));

    Contents contents;
    contents.values.prepareForStartup();
    bool inHeader = true;
    bool hasVersion = false;
    bool hasSource = false;
    QHash<QString, int> seen; // record or row -> its line
    QHash<int, int> pageLines; // page -> the line of its first record

    const QList<QByteArray> lines = bytes.split('\n');
    for (int index = 0; index < lines.size(); ++index) {
        const int number = index + 1;
        QString line = QString::fromLatin1(lines[index]);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (trimmed.startsWith(QLatin1Char('#'))) {
            if (inHeader && !hasVersion && line.startsWith(kVersionPrefix)) {
                contents.header.version = line.mid(kVersionPrefix.size());
                hasVersion = true;
            } else if (inHeader && !hasSource && line.startsWith(kSourcePrefix)) {
                contents.header.source = line.mid(kSourcePrefix.size());
                hasSource = true;
            }
            continue;
        }
        inHeader = false;

        const Checked checked = checkRecord(line);
        if (!checked.layout)
            return refuse(number, checked.problem);
        const QString key = recordKey(checked);
        if (const auto first = seen.constFind(key); first != seen.cend()) {
            const QString what = checked.layout->isTableRecord() ? key : QStringLiteral("%1 record").arg(key);
            return refuse(number, QStringLiteral("%1 again (first on line %2)").arg(what).arg(*first));
        }
        if (const QString problem = applyAndCompare(line, checked, contents.values); !problem.isEmpty())
            return refuse(number, problem);
        seen.insert(key, number);
        if (!pageLines.contains(checked.layout->page))
            pageLines.insert(checked.layout->page, number);
    }

    if (seen.isEmpty())
        return refuse(0, QStringLiteral("The file holds no configuration records."));
    for (const int page : kPageOrder) {
        if (!pageLines.contains(page))
            continue;
        if (const QString missing = missingRecord(page, seen); !missing.isEmpty()) {
            return refuse(pageLines.value(page),
                QStringLiteral("%1 is missing; a file holds every record of each page it holds").arg(missing));
        }
        contents.pages.append(page);
    }
    return {.contents = std::move(contents)};
}

ReadResult load(const QString &path)
{
    const QString shownPath = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(0, QStringLiteral("Cannot read %1: %2").arg(shownPath, file.errorString()));
    // One byte past the limit tells an over-long file from one just at it, also
    // for a device whose size is not known in advance.
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return refuse(0, QStringLiteral("Cannot read %1: %2").arg(shownPath, file.errorString()));
    if (bytes.size() > kMaxFileSize) {
        return refuse(0,
            QStringLiteral("%1 is not a gateway configuration: it is larger than %2 bytes")
                .arg(shownPath, QString::number(kMaxFileSize)));
    }
    return parse(bytes);
}

bool save(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!written && error)
        *error = QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    return written;
}

} // namespace ConfigurationFile
