#pragma once

#include "pages.h"
#include "queueentry.h"
#include "recordcodec.h"

#include <fieldcodecs.h>

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <array>

class CoolFlex;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QWidget;

// The seven configuration pages of the main window and their controls, built
// from the record layouts. The controls are the configuration model: received
// records are applied to them and a save reads them back into records.
class ConfigPages : public QObject, private IRecordControls
{
    Q_OBJECT

public:
    // The pages by index; the monitor page (PageDBG) is not built here.
    using enum Pages::Index;
    static constexpr int kPageCount = Pages::kCount;

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
        QList<QueueEntry> entries {};
        QString refusal {};
    };
    SaveRecords buildSave(int index) const;

    CoolFlex *prefixTable() const;
    CoolFlex *numberList() const;

private:
    int listPosition(const QString &control) const override;
    bool setListPosition(const QString &control, int position) override;
    QString text(const QString &control) const override;
    void setText(const QString &control, const QString &text) override;
    QString cell(const QString &table, int row, int col) const override;
    bool setCell(const QString &table, int row, int col, const QString &text) override;

    void createControls();
    void connectChangeRules();
    CoolFlex *table(const QString &name) const;

    // Page building: a labelled form of the named controls in a titled group, and
    // rows of several controls under one label.
    QLabel *labelFor(const QString &control, const QString &text);
    QWidget *withUnit(QWidget *control, const QString &unit);
    QGroupBox *formGroup(const QString &title, const QStringList &controls);
    // The page of the prefix table or the number list: the table alone.
    QWidget *buildTablePage(CoolFlex *table, const QString &name);
    QWidget *buildFxoPage();
    QWidget *buildFxsPage();
    QWidget *buildGsmPage();
    QWidget *buildSmsPage();
    QWidget *buildTonePage();

    // Guarded, since the host owns the pages once it has taken them over.
    QHash<QString, QPointer<QComboBox>> m_lists;
    QHash<QString, QPointer<QLineEdit>> m_texts;
    // Each text box's own input limit; 0 for none.
    QHash<QString, int> m_widths;
    QPointer<CoolFlex> m_ucPRF;
    QPointer<CoolFlex> m_ucNumList;
    std::array<QPointer<QWidget>, kPageCount> m_pages;
};
