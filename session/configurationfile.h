#pragma once

#include "configurationvalues.h"
#include "pages.h"
#include "queueentry.h"
#include "recordcodec.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// A gateway's configuration in a file (".gwcfg"): Latin-1 text, one record per
// line exactly as a page save sends it to the gateway, the pages in kPageOrder;
// lines starting with "#" are comments and blank lines are ignored. The console
// heads the file with comments naming the format, the gateway's version and where
// the configuration was read, and nothing that changes between two reads, so an
// unchanged gateway saves the same bytes every time. It writes LF line ends and
// reads LF and CR LF alike.
//
// A file holds any set of whole pages: a page in the file has every record of it
// (the GSM page its GSM and NET records, a table every row), so a template may
// hold only some pages and writing it back touches only those. Reading checks
// every line before anything is handed out, and refuses the whole file at the
// first fault with its line number.
namespace ConfigurationFile {

inline constexpr char kSuffix[] = "gwcfg";

// The order of the pages in a file, each with its records in page-save order:
// FXO, FXS, GSM (its GSM then NET record), SMS, tones (GWP), the prefix table
// (PRF rows 1 to 32), the number list (LST rows 1 to 64).
inline constexpr std::array<int, 7> kPageOrder {Pages::PageFXO, Pages::PageFXS, Pages::PageGSM, Pages::PageSMS,
    Pages::PageTONE, Pages::PagePRF, Pages::PageNumList};

// What the header comments tell about the configuration; both parts are optional.
struct Header
{
    // The gateway's version text, exactly as its VER line gives it.
    QString version {};
    // Where the configuration was read, such as "tcp:127.0.0.1:4001" or "COM 3".
    QString source {};

    friend bool operator==(const Header &, const Header &) = default;
};

struct Contents
{
    // The start-up values of the pages (see ConfigurationValues::prepareForStartup)
    // with the file's records applied; pages the file does not hold stay as they start.
    ConfigurationValues values {};
    Header header {};
    // The pages the file holds, as Pages::Index values in kPageOrder.
    QList<int> pages {};
};

struct ReadResult
{
    // Nothing when the file was refused.
    std::optional<Contents> contents {};
    // Why the file was refused, starting with "line <n>: " when one line is to blame.
    QString error {};
    // The refused line, counted from 1; 0 when no one line is to blame.
    int line = 0;
};

// The records of pages (Pages::Index values; others are skipped) in file order,
// each as its page save builds it. When a page cannot be saved, the result is
// empty and refusal (when given) says why.
QList<QueueEntry> records(const IRecordControls &values, const QList<int> &pages, QString *refusal);

// The file text of pages, or of every page. It is empty, with error (when given)
// saying why, when a page cannot be saved or one of its records would not read
// back as written (a text with a comma or a line break, a number written "01",
// a ring cadence left out because no ring signal is chosen), so a file the
// console makes always opens. Opened, it gives the values it was made from
// where the pages hold what their records say, as after a read from a gateway.
// Otherwise it gives what the records say: the ring-signal list, which no record
// carries, stands on its custom entry showing the cadences written, and a
// permission cell holding neither 0 nor 1 comes back as its bit.
QByteArray compose(const IRecordControls &values, const Header &header, const QList<int> &pages, QString *error);
QByteArray compose(const IRecordControls &values, const Header &header, QString *error);

// Reads a file's text, its records in any order. A record is refused when its
// mnemonic is unknown, its field count or table row is wrong, it repeats a record
// or row, or the page would not hold it as written: decoded into fresh page
// values and encoded back, it must give the line unchanged. A file holding part
// of a page, or no record at all, is refused too.
ReadResult parse(const QByteArray &bytes);
// Reads and parses a file; a file that cannot be read is refused with its path
// and the reason.
ReadResult load(const QString &path);

// Writes bytes to path atomically: the old file stays whole until the new one is
// complete. False, with error (when given) naming the path and the reason, on failure.
bool save(const QString &path, const QByteArray &bytes, QString *error);

} // namespace ConfigurationFile
