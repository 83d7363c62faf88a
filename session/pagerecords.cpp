#include "pagerecords.h"

#include "recordlayouts.h"

namespace PageRecords {

SaveRecords build(int page, const IRecordControls &values)
{
    SaveRecords save;
    for (const RecordLayout &layout : RecordLayouts::all()) {
        if (layout.page != page)
            continue;
        if (!layout.isTableRecord()) {
            const RecordCodec::Encoded record = RecordCodec::encode(layout, values);
            if (!record.ok())
                return {.refusal = record.refusal};
            save.entries.append({record.command, layout.description});
            continue;
        }
        for (int row = 1; row <= layout.rows; ++row) {
            const RecordCodec::Encoded record = RecordCodec::encodeRow(layout, values, row);
            if (!record.ok())
                return {.refusal = record.refusal};
            save.entries.append({record.command, layout.description + QString::number(row)});
        }
    }
    return save;
}

} // namespace PageRecords
