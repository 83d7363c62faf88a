#pragma once

#include "pagerecords.h"
#include "pages.h"
#include "queueentry.h"
#include "recordcodec.h"

#include <fieldcodecs.h>

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <array>

class Configuration;
class CoolFlex;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QWidget;

// The seven configuration pages of the main window and their controls, built
// from the record layouts, each when it is first asked for. Unbound, the
// controls are the configuration model: received records are applied to them
// and a save reads them back into records. Bound to a Configuration, the pages
// are its view both ways, and a page not built yet needs nothing: the
// configuration holds its values.
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
    // A page's controls are built when it is first asked for, the page as a
    // child of parent (the frame that shows it), which then owns it; a page
    // built without a parent is the caller's to take over. Bound, the controls
    // show the configuration's values at once, whatever it received before.
    QWidget *page(int index, QWidget *parent = nullptr) const;
    // Whether page index has been built.
    bool isBuilt(int index) const;
    // Builds every page not built yet.
    void buildAllPages() const;

    // Makes the pages a view of configuration: every list, text box and data
    // cell of both tables takes the configuration's value now, and from then on
    // a change on either side shows on the other at once. A change in the
    // configuration reaches the control through the control's own change
    // signal, so the change rules run as for a value set on the page. Where the
    // configuration does not take a control's value, its own value wins and the
    // control is set back. Once only: a second call changes nothing. The
    // configuration may go first; the pages are then unbound.
    void bindConfiguration(Configuration &configuration);
    Configuration *configuration() const;

    // Sets up the tables built so far: columns, headings, widths, edit lengths,
    // row numbers. A table is set up when it is built.
    void setupTables();
    // Empties the data cells of the number list (columns 1-3) and prefix table
    // (1-2); bound, in the configuration, and the tables follow.
    void clearTables();
    // Start-up state of the pages: the ring-signal selector on "Custom Setting ";
    // bound, in the configuration.
    void prepareForStartup();

    // Applies one received record ("FXO", "FXS", "GSM", "NET", "SMS", "GWP",
    // "PRF", "LST") to its page, every assignment on its own; bound, to the
    // configuration, whose changes then show on the page field by field.
    void applyRecord(const QString &code, const FieldCodecs::SplitResult &fields);

    // The records "Save Data" writes for page index (see PageRecords::build),
    // from the bound configuration, or from the controls while unbound.
    // Unbound, the controls hold the values, so the calls that read or set them
    // build every page first.
    using SaveRecords = PageRecords::SaveRecords;
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

    void buildPage(int index, QWidget *parent);
    // The list, text box or table name, made in parent if it does not exist yet.
    QWidget *place(const QString &name, QWidget *parent);
    // The list, text box or table name; null until made.
    QWidget *control(const QString &name) const;
    void setupTable(const QString &name);
    void connectChangeRules(int page);
    void connectFxoRules();
    void connectFxsRules();
    CoolFlex *table(const QString &name) const;

    // The binding. show* puts the configuration's value into a control, take*
    // puts a control's value into the configuration and sets the control back
    // where the configuration holds another. A value being carried one way is
    // not carried back while that runs, so a change never echoes into its source.
    void connectBinding(int page);
    void showPageValues(int page);
    void showList(const QString &control);
    void showText(const QString &control);
    void showValue(const QString &control);
    void showCell(const QString &table, int row, int col);
    void takeList(const QString &control);
    void takeText(const QString &control);
    void takeCell(const QString &table, int row, int col);
    // Takes every data cell of the table, the configuration's rows and columns,
    // after a change of the grid's shape or order (a removed row, a sort).
    void takeTable(const QString &table);

    // Page building: a labelled form of the named controls in a titled group, and
    // rows of several controls under one label. Labels, units, list entries and
    // table headings come from ConfigurationDiff::presentedControls(), so a
    // difference names a control as its page does.
    // Every widget is made in the parent it stays in (see scrolledPage).
    QLabel *labelFor(const QString &name, QWidget *parent);
    // The control, or a row of the control and its unit.
    QWidget *placeWithUnit(const QString &name, QWidget *parent);
    QGroupBox *formGroup(const QString &title, const QStringList &controls, QWidget *parent);
    // The page of the prefix table or the number list: the table alone.
    QWidget *buildTablePage(const QString &table, const QString &name, QWidget *parent);
    QWidget *buildFxoPage(QWidget *parent);
    QWidget *buildFxsPage(QWidget *parent);
    QWidget *buildGsmPage(QWidget *parent);
    QWidget *buildSmsPage(QWidget *parent);
    QWidget *buildTonePage(QWidget *parent);

    // Guarded, since the host owns the pages once it has taken them over.
    QHash<QString, QPointer<QComboBox>> m_lists;
    QHash<QString, QPointer<QLineEdit>> m_texts;
    // Each text box's own input limit; 0 for none.
    QHash<QString, int> m_widths;
    QPointer<CoolFlex> m_ucPRF;
    QPointer<CoolFlex> m_ucNumList;
    std::array<QPointer<QWidget>, kPageCount> m_pages;
    std::array<bool, kPageCount> m_built {};

    QPointer<Configuration> m_configuration;
    bool m_bound = false;
    // The controls and cells whose value the binding is carrying right now.
    QSet<QString> m_carrying;
};
