#pragma once

#include "queueentry.h"
#include "recordcodec.h"

#include <QList>
#include <QString>

// The records "Save Data" writes for one configuration page, built from any set
// of page values: the page controls, the configuration, or a copy of its values.
namespace PageRecords {

// The records of a page save, in order, with their descriptions. When the page
// cannot be saved (a number-list row whose permissions do not fit), entries is
// empty and refusal says why.
struct SaveRecords
{
    QList<QueueEntry> entries {};
    QString refusal {};
};

// Walks the record layouts of page (a Pages::Index) in their order: one entry
// per page record, and one per row, 1 to the last, for a table record. A page
// without records, or no page at all, gives no entries.
SaveRecords build(int page, const IRecordControls &values);

} // namespace PageRecords
