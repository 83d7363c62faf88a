#pragma once

#include "queueentry.h"

#include <fieldcodecs.h>

#include <QList>
#include <QObject>
#include <QString>

class CoolFlex;
class QWidget;

// The seven configuration pages of the main window and their controls, built
// from the record layouts. The controls are the configuration model: received
// records are applied to them and a save reads them back into records.
class ConfigPages : public QObject
{
    Q_OBJECT

public:
    // The index of each page in the main window's page array framMenu.
    enum PageIndex : int {
        PagePRF = 0,
        PageNumList = 1,
        PageFXO = 2,
        PageFXS = 3,
        PageGSM = 4,
        PageDBG = 5, // the monitor page; not built here
        PageSMS = 6,
        PageTONE = 7,
    };
    static constexpr int kPageCount = 8;

    explicit ConfigPages(QObject *parent = nullptr);
    ~ConfigPages() override;

    // The content of page index, to be put into framMenu(index); null for PageDBG.
    // The caller takes ownership by reparenting it.
    QWidget *page(int index) const;

    // Sets up both tables: columns, headings, widths, edit lengths, row numbers.
    void setupTables();
    // Empties the data cells of the number list (columns 1-3) and prefix table (1-2).
    void clearTables();
    // Start-up state of the pages: the ring-signal selector on "Custom Setting ".
    void prepareForStartup();

    // Applies one received record ("FXO", "FXS", "GSM", "NET", "SMS", "GWP",
    // "PRF", "LST") to its page, every assignment on its own.
    void applyRecord(const QString &code, const FieldCodecs::SplitResult &fields);

    // The records "Save Data" writes for page index, in order, with their
    // descriptions. When the page cannot be saved (a number-list row whose
    // permissions do not fit), entries is empty and refusal says why.
    struct SaveRecords
    {
        QList<QueueEntry> entries;
        QString refusal;
    };
    SaveRecords buildSave(int index) const;

    CoolFlex *prefixTable() const;
    CoolFlex *numberList() const;
};
