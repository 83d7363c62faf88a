#include "configpages.h"

#include <configuration.h>
#include <configurationdiff.h>
#include <coolflex.h>

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kPrefixTable = QStringLiteral("ucPRF");
const QString kNumberListTable = QStringLiteral("ucNumList");

// The positions the change rules look at.
constexpr int kCidBellcore = 0;
constexpr int kPolarDoubleReverse = 2;
constexpr int kPolarBreakLine = 3;
constexpr int kSignalCustom = 3;

// The grid layouts, in twips as the tables take them.
constexpr int kRowNumberWidthTwips = 400;
constexpr int kPrefixEditLength = 7;
constexpr int kNumberEditLength = 16;
constexpr int kHeadingSortMode = 1;
// The grid's frame and vertical scroll bar beside its columns.
constexpr int kTableChromePixels = 24;

// The Network Status group shows what the gateway reports, on light yellow.
const QString kReadOnlyStyle
    = QStringLiteral("QComboBox:disabled, QLineEdit:disabled { background-color: rgb(255, 255, 192); color: black; }");
const QString kNoteStyle = QStringLiteral("color: rgb(0, 0, 255);");

// A text box's input limit: most boxes hold a few digits, so they get a width
// that fits their limit rather than the whole form column.
constexpr int kWideBoxChars = 18;

using ConfigurationDiff::PresentedControl;

QList<int> widthsOf(const QString &table)
{
    // Row numbers, then the data columns: the prefix table's two columns are
    // 1300 twips; the number list's GSM number 1500, its permissions 1300 each.
    if (table == kPrefixTable)
        return {kRowNumberWidthTwips, 1300, 1300};
    return {kRowNumberWidthTwips, 1500, 1300, 1300, 1300, 1300, 1300};
}

// How the pages show a control, which every control of the pages has.
const PresentedControl &presented(const QString &control)
{
    static const PresentedControl none;
    const PresentedControl *entry = ConfigurationDiff::presented(control);
    Q_ASSERT(entry);
    return entry ? *entry : none;
}

// The name the binding knows a table cell by while it carries its value.
QString cellKey(const QString &table, int row, int col)
{
    return QStringLiteral("%1(%2,%3)").arg(table).arg(row).arg(col);
}

// A page is made from its scroll area down, every widget in the place it
// stays: a widget moved under another once a skin is applied is restyled with
// everything in it, once for each level it moves, and a selection list that is
// restyled builds its drop-down view at once.
struct ScrolledPage
{
    QScrollArea *area;
    // What the page shows, made inside the area's viewport.
    QWidget *content;
};

ScrolledPage scrolledPage(const QString &objectName, QWidget *parent)
{
    auto *area = new QScrollArea(parent);
    area->setObjectName(objectName);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    return {area, new QWidget(area->viewport())};
}

// A column of groups that keeps its width at the left of the page.
QWidget *leftColumn(const ScrolledPage &page)
{
    auto *row = new QHBoxLayout(page.content);
    row->setContentsMargins(0, 0, 0, 0);
    auto *column = new QWidget(page.content);
    row->addWidget(column);
    row->addStretch(1);
    return column;
}

// The area takes its content once the content is laid out; the content is in
// the viewport already, so it moves no more.
QWidget *finished(const ScrolledPage &page)
{
    page.area->setWidget(page.content);
    return page.area;
}

} // namespace

ConfigPages::ConfigPages(QObject *parent)
    : QObject(parent)
{ }

ConfigPages::~ConfigPages()
{
    // Pages the host took over go with the host; the others are still ours.
    for (const QPointer<QWidget> &page : m_pages) {
        if (page && !page->parentWidget())
            delete page.data();
    }
}

QWidget *ConfigPages::page(int index, QWidget *parent) const
{
    if (index < 0 || index >= kPageCount)
        return nullptr;
    // Building a page changes what the pages show, not what they hold.
    const_cast<ConfigPages *>(this)->buildPage(index, parent);
    return m_pages[index].data();
}

bool ConfigPages::isBuilt(int index) const
{
    return index >= 0 && index < kPageCount && m_built[index];
}

void ConfigPages::buildAllPages() const
{
    for (int index = 0; index < kPageCount; ++index)
        const_cast<ConfigPages *>(this)->buildPage(index, nullptr);
}

CoolFlex *ConfigPages::prefixTable() const
{
    page(PagePRF);
    return m_ucPRF;
}

CoolFlex *ConfigPages::numberList() const
{
    page(PageNumList);
    return m_ucNumList;
}

void ConfigPages::buildPage(int index, QWidget *parent)
{
    if (index < 0 || index >= kPageCount || index == PageDBG || m_built[index])
        return;
    m_built[index] = true;
    switch (index) {
    case PagePRF:
        m_pages[index] = buildTablePage(kPrefixTable, QStringLiteral("pagePRF"), parent);
        break;
    case PageNumList:
        m_pages[index] = buildTablePage(kNumberListTable, QStringLiteral("pageNumList"), parent);
        break;
    case PageFXO:
        m_pages[index] = buildFxoPage(parent);
        break;
    case PageFXS:
        m_pages[index] = buildFxsPage(parent);
        break;
    case PageGSM:
        m_pages[index] = buildGsmPage(parent);
        break;
    case PageSMS:
        m_pages[index] = buildSmsPage(parent);
        break;
    case PageTONE:
        m_pages[index] = buildTonePage(parent);
        break;
    default:
        break;
    }
    // Every control of the page exists, placed or not, since records and the
    // binding name them all.
    for (const PresentedControl &control : ConfigurationDiff::presentedControls()) {
        if (control.page == index)
            place(control.control, nullptr);
    }
    connectChangeRules(index);
    if (!m_configuration)
        return;
    // Listening first, as when the pages were bound: a change rule that moves a
    // control while it takes its value is carried into the configuration too.
    connectBinding(index);
    showPageValues(index);
}

QWidget *ConfigPages::place(const QString &name, QWidget *parent)
{
    if (QWidget *made = control(name))
        return made;
    const PresentedControl &control = presented(name);
    switch (control.kind) {
    case PresentedControl::Kind::Text: {
        auto *edit = new QLineEdit(parent);
        edit->setObjectName(control.control);
        if (control.width > 0) {
            edit->setMaxLength(control.width);
            const int chars = std::min(std::max(control.width, 3), kWideBoxChars) + 2;
            edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 12);
        } else {
            edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 7 + 12);
        }
        m_texts.insert(control.control, edit);
        m_widths.insert(control.control, control.width);
        return edit;
    }
    case PresentedControl::Kind::List: {
        auto *list = new QComboBox(parent);
        list->setObjectName(control.control);
        list->addItems(control.entries);
        // Sized to its entries, which never change once built. The policy
        // that follows every change of the entries would build the list's
        // drop-down view at once, for every list, opened or not.
        list->setSizeAdjustPolicy(QComboBox::AdjustToContentsOnFirstShow);
        list->setCurrentIndex(-1);
        m_lists.insert(control.control, list);
        return list;
    }
    case PresentedControl::Kind::Table: {
        auto *grid = new CoolFlex(parent);
        grid->setObjectName(control.control);
        // The tables carry no label of their own: a screen reader names them
        // as the toolbar buttons that show them do.
        grid->grid()->setAccessibleName(control.label);
        (control.control == kPrefixTable ? m_ucPRF : m_ucNumList) = grid;
        setupTable(control.control);
        return grid;
    }
    }
    return nullptr;
}

QWidget *ConfigPages::control(const QString &name) const
{
    if (QComboBox *list = m_lists.value(name))
        return list;
    if (QLineEdit *edit = m_texts.value(name))
        return edit;
    return table(name);
}

void ConfigPages::connectChangeRules(int page)
{
    if (page == PageFXO)
        connectFxoRules();
    else if (page == PageFXS)
        connectFxsRules();
}

void ConfigPages::connectFxoRules()
{
    QComboBox *cid = m_lists.value(QStringLiteral("cmbFXO_CID"));
    connect(cid, &QComboBox::currentIndexChanged, cid, [cid](int position) {
        // The gateway's FXO port only speaks Bellcore caller ID.
        if (position != kCidBellcore)
            cid->setCurrentIndex(kCidBellcore);
    });
}

void ConfigPages::connectFxsRules()
{
    QComboBox *polar = m_lists.value(QStringLiteral("cmbFXS_Polar"));
    QLineEdit *polarTimer = m_texts.value(QStringLiteral("txtFXS_Polar"));
    auto applyPolar = [polarTimer](int position) {
        polarTimer->setEnabled(position == kPolarDoubleReverse || position == kPolarBreakLine);
    };
    connect(polar, &QComboBox::currentIndexChanged, polarTimer, applyPolar);
    applyPolar(polar->currentIndex());

    QComboBox *signal = m_lists.value(QStringLiteral("cmbFXS_Signal"));
    const QList<QLineEdit *> cadence {
        m_texts.value(RecordLayouts::element(QStringLiteral("txtFXS_Ring"), 0)),
        m_texts.value(RecordLayouts::element(QStringLiteral("txtFXS_Pause"), 0)),
        m_texts.value(RecordLayouts::element(QStringLiteral("txtFXS_Ring"), 1)),
        m_texts.value(RecordLayouts::element(QStringLiteral("txtFXS_Pause"), 1)),
    };
    auto applySignal = [cadence](int position) {
        for (QLineEdit *box : cadence)
            box->setEnabled(position == kSignalCustom);
    };
    connect(signal, &QComboBox::currentIndexChanged, signal, applySignal);
    applySignal(signal->currentIndex());
}

void ConfigPages::prepareForStartup()
{
    if (m_configuration) {
        m_configuration->prepareForStartup();
        return;
    }
    buildAllPages();
    if (QComboBox *signal = m_lists.value(QStringLiteral("cmbFXS_Signal")))
        signal->setCurrentIndex(kSignalCustom);
}

void ConfigPages::setupTables()
{
    for (const QString &name : {kNumberListTable, kPrefixTable})
        setupTable(name);
}

void ConfigPages::setupTable(const QString &name)
{
    CoolFlex *grid = table(name);
    if (!grid)
        return;
    const PresentedControl &shown = presented(name);
    const QStringList &headings = shown.entries;
    const QList<int> widths = widthsOf(name);
    grid->setCols(headings.size());
    grid->setRows(shown.rows + 1);
    grid->setEditEnable(true);
    grid->setEditTextLenght(name == kPrefixTable ? kPrefixEditLength : kNumberEditLength);
    grid->SortOnHeaderClick(false, kHeadingSortMode);
    // The grid shows every column without a horizontal scroll bar and runs
    // the height of its page.
    int pixels = 0;
    for (int twips : widths)
        pixels += grid->twipsToPixelsX(twips);
    grid->setFixedWidth(pixels + kTableChromePixels);
    grid->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    grid->setTextMatrix(0, 0, headings.value(0));
    grid->setColWidth(0, widths.value(0));
    for (int col = 1; col < headings.size(); ++col) {
        grid->setTextMatrix(0, col, headings[col]);
        grid->setColWidth(col, widths.value(col));
        grid->ColType(col, CoolFlex::CellText, false);
    }
    for (int row = 1; row < grid->Rows(); ++row)
        grid->setTextMatrix(row, 0, QString::number(row));
}

void ConfigPages::clearTables()
{
    if (m_configuration) {
        m_configuration->clearTables();
        return;
    }
    buildAllPages();
    for (int row = 1; row <= 64; ++row) {
        for (int col = 1; col <= 3; ++col)
            m_ucNumList->setTextMatrix(row, col, QString());
    }
    for (int row = 1; row <= 32; ++row) {
        for (int col = 1; col <= 2; ++col)
            m_ucPRF->setTextMatrix(row, col, QString());
    }
}

void ConfigPages::applyRecord(const QString &code, const FieldCodecs::SplitResult &fields)
{
    if (m_configuration) {
        m_configuration->applyRecord(code, fields);
        return;
    }
    // Unbound, the controls are the values: every page is needed.
    buildAllPages();
    if (const RecordLayout *layout = RecordLayouts::find(code))
        RecordCodec::decode(*layout, fields, *this);
}

ConfigPages::SaveRecords ConfigPages::buildSave(int index) const
{
    if (m_configuration)
        return PageRecords::build(index, *m_configuration);
    buildAllPages();
    return PageRecords::build(index, *this);
}

Configuration *ConfigPages::configuration() const
{
    return m_configuration;
}

void ConfigPages::bindConfiguration(Configuration &configuration)
{
    if (m_bound)
        return;
    m_bound = true;
    m_configuration = &configuration;
    connect(m_configuration, &Configuration::valueChanged, this, &ConfigPages::showValue);
    connect(m_configuration, &Configuration::cellChanged, this, &ConfigPages::showCell);
    // Pages built so far take the configuration's values now; the others when
    // they are built.
    for (int index = 0; index < kPageCount; ++index) {
        if (m_built[index]) {
            connectBinding(index);
            showPageValues(index);
        }
    }
}

void ConfigPages::showPageValues(int page)
{
    for (const PresentedControl &control : ConfigurationDiff::presentedControls()) {
        if (control.page != page)
            continue;
        switch (control.kind) {
        case PresentedControl::Kind::List:
            showList(control.control);
            break;
        case PresentedControl::Kind::Text:
            showText(control.control);
            break;
        case PresentedControl::Kind::Table:
            for (int row = 1; row <= control.rows; ++row) {
                for (int col = 1; col < control.entries.size(); ++col)
                    showCell(control.control, row, col);
            }
            break;
        }
    }
}

void ConfigPages::connectBinding(int page)
{
    for (const PresentedControl &control : ConfigurationDiff::presentedControls()) {
        if (control.page != page)
            continue;
        const QString name = control.control;
        if (QComboBox *list = m_lists.value(name))
            connect(list, &QComboBox::currentIndexChanged, this, [this, name] { takeList(name); });
        else if (QLineEdit *edit = m_texts.value(name))
            connect(edit, &QLineEdit::textChanged, this, [this, name] { takeText(name); });
        CoolFlex *grid = table(name);
        if (!grid)
            continue;
        CoolFlexModel *model = grid->model();
        connect(model, &QAbstractItemModel::dataChanged, this,
            [this, name](const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) {
                // A check mark or button picture is no value.
                if (!roles.isEmpty() && !roles.contains(Qt::DisplayRole) && !roles.contains(Qt::EditRole))
                    return;
                // Model rows and columns are the data cells alone, from grid row and column 1.
                for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
                    for (int col = topLeft.column(); col <= bottomRight.column(); ++col)
                        takeCell(name, row + 1, col + 1);
                }
            });
        auto reshaped = [this, name] { takeTable(name); };
        connect(model, &QAbstractItemModel::rowsInserted, this, reshaped);
        connect(model, &QAbstractItemModel::rowsRemoved, this, reshaped);
        connect(model, &QAbstractItemModel::rowsMoved, this, reshaped);
        connect(model, &QAbstractItemModel::columnsInserted, this, reshaped);
        connect(model, &QAbstractItemModel::columnsRemoved, this, reshaped);
        connect(model, &QAbstractItemModel::columnsMoved, this, reshaped);
        connect(model, &QAbstractItemModel::layoutChanged, this, reshaped);
        connect(model, &QAbstractItemModel::modelReset, this, reshaped);
    }
}

void ConfigPages::showValue(const QString &control)
{
    if (m_lists.contains(control))
        showList(control);
    else
        showText(control);
}

// The control's change signal carries the value straight back through take*,
// which finds it already held; a change rule that moves the control on is
// carried in the same way.
void ConfigPages::showList(const QString &control)
{
    QComboBox *list = m_lists.value(control);
    if (!m_configuration || !list || m_carrying.contains(control))
        return;
    const int held = m_configuration->listPosition(control);
    // Directly, not through setListPosition: "nothing chosen" is a value too.
    if (list->currentIndex() != held)
        list->setCurrentIndex(held);
}

void ConfigPages::showText(const QString &control)
{
    QLineEdit *edit = m_texts.value(control);
    if (!m_configuration || !edit || m_carrying.contains(control))
        return;
    const QString held = m_configuration->text(control);
    if (edit->text() != held)
        setText(control, held);
}

void ConfigPages::showCell(const QString &table, int row, int col)
{
    CoolFlex *grid = this->table(table);
    // The headings and row numbers are the grid's own.
    if (!m_configuration || !grid || row < 1 || col < 1 || m_carrying.contains(cellKey(table, row, col)))
        return;
    const QString held = m_configuration->cell(table, row, col);
    if (grid->TextMatrix(row, col) != held)
        grid->setTextMatrix(row, col, held);
}

void ConfigPages::takeList(const QString &control)
{
    QComboBox *list = m_lists.value(control);
    if (!m_configuration || !list || m_carrying.contains(control))
        return;
    m_carrying.insert(control);
    const auto carried = qScopeGuard([this, control] { m_carrying.remove(control); });
    m_configuration->setListPosition(control, list->currentIndex());
    const int held = m_configuration->listPosition(control);
    if (list->currentIndex() != held)
        list->setCurrentIndex(held);
}

void ConfigPages::takeText(const QString &control)
{
    QLineEdit *edit = m_texts.value(control);
    if (!m_configuration || !edit || m_carrying.contains(control))
        return;
    m_carrying.insert(control);
    const auto carried = qScopeGuard([this, control] { m_carrying.remove(control); });
    m_configuration->setText(control, edit->text());
    const QString held = m_configuration->text(control);
    if (edit->text() != held)
        setText(control, held);
}

void ConfigPages::takeCell(const QString &table, int row, int col)
{
    CoolFlex *grid = this->table(table);
    const QString key = cellKey(table, row, col);
    if (!m_configuration || !grid || m_carrying.contains(key))
        return;
    m_carrying.insert(key);
    const auto carried = qScopeGuard([this, key] { m_carrying.remove(key); });
    m_configuration->setCell(table, row, col, grid->TextMatrix(row, col));
    // A cell the configuration has no room for reads as empty there.
    const QString held = m_configuration->cell(table, row, col);
    if (grid->TextMatrix(row, col) != held)
        grid->setTextMatrix(row, col, held);
}

void ConfigPages::takeTable(const QString &table)
{
    const PresentedControl *shown = ConfigurationDiff::presented(table);
    if (!m_configuration || !shown)
        return;
    const int cols = int(shown->entries.size());
    for (int row = 1; row <= shown->rows; ++row) {
        for (int col = 1; col < cols; ++col)
            takeCell(table, row, col);
    }
}

int ConfigPages::listPosition(const QString &control) const
{
    const QComboBox *list = m_lists.value(control);
    return list ? list->currentIndex() : -1;
}

bool ConfigPages::setListPosition(const QString &control, int position)
{
    QComboBox *list = m_lists.value(control);
    if (!list || position < 0 || position >= list->count())
        return false;
    list->setCurrentIndex(position);
    return true;
}

QString ConfigPages::text(const QString &control) const
{
    const QLineEdit *edit = m_texts.value(control);
    return edit ? edit->text() : QString();
}

void ConfigPages::setText(const QString &control, const QString &text)
{
    QLineEdit *edit = m_texts.value(control);
    if (!edit)
        return;
    // The limit is for typing: a longer value from the gateway is shown whole
    // (and written back whole) instead of being cut to the box's width.
    const int width = m_widths.value(control);
    if (width > 0)
        edit->setMaxLength(std::max<int>(width, text.size()));
    edit->setText(text);
}

QString ConfigPages::cell(const QString &table, int row, int col) const
{
    const CoolFlex *grid = this->table(table);
    return grid ? grid->TextMatrix(row, col) : QString();
}

bool ConfigPages::setCell(const QString &table, int row, int col, const QString &text)
{
    CoolFlex *grid = this->table(table);
    // The heading row and the row numbers are not data.
    if (!grid || row < 1 || col < 1 || row >= grid->Rows() || col >= grid->Cols())
        return false;
    return grid->setTextMatrix(row, col, text);
}

CoolFlex *ConfigPages::table(const QString &name) const
{
    if (name == kPrefixTable)
        return m_ucPRF;
    if (name == kNumberListTable)
        return m_ucNumList;
    return nullptr;
}

QLabel *ConfigPages::labelFor(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(presented(name).label, parent);
    label->setBuddy(control(name));
    return label;
}

QWidget *ConfigPages::placeWithUnit(const QString &name, QWidget *parent)
{
    const QString &unit = presented(name).unit;
    if (unit.isEmpty())
        return place(name, parent);
    auto *row = new QWidget(parent);
    auto *box = new QHBoxLayout(row);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(place(name, row));
    box->addWidget(new QLabel(unit, row));
    box->addStretch(1);
    return row;
}

QGroupBox *ConfigPages::formGroup(const QString &title, const QStringList &controls, QWidget *parent)
{
    auto *group = new QGroupBox(title, parent);
    auto *form = new QFormLayout(group);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    for (const QString &control : controls) {
        QWidget *field = placeWithUnit(control, group);
        form->addRow(labelFor(control, group), field);
    }
    return group;
}

QWidget *ConfigPages::buildTablePage(const QString &table, const QString &name, QWidget *parent)
{
    const ScrolledPage page = scrolledPage(name, parent);
    auto *box = new QHBoxLayout(page.content);
    box->addWidget(place(table, page.content));
    box->addStretch(1);
    return finished(page);
}

QWidget *ConfigPages::buildFxoPage(QWidget *parent)
{
    const ScrolledPage page = scrolledPage(QStringLiteral("pageFXO"), parent);
    auto *columns = new QHBoxLayout(page.content);
    auto *left = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    const RecordLayout *fxo = RecordLayouts::find(QStringLiteral("FXO"));
    auto names = [fxo](const QString &group) {
        QStringList controls;
        for (const FieldLayout &field : fxo->fields) {
            if (field.group == group)
                controls += field.control;
        }
        return controls;
    };
    for (const char *group : {"Line and Access", "Follow Me", "Tones"})
        left->addWidget(formGroup(QString::fromLatin1(group), names(QString::fromLatin1(group)), page.content));
    for (const char *group : {"Dialling", "Number Format"})
        right->addWidget(formGroup(QString::fromLatin1(group), names(QString::fromLatin1(group)), page.content));
    left->addStretch(1);
    right->addStretch(1);
    columns->addLayout(left);
    columns->addLayout(right);
    columns->addStretch(1);
    return finished(page);
}

QWidget *ConfigPages::buildFxsPage(QWidget *parent)
{
    const ScrolledPage page = scrolledPage(QStringLiteral("pageFXS"), parent);
    auto *columns = new QHBoxLayout(page.content);
    auto *left = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    left->addWidget(formGroup(QStringLiteral("Caller ID"),
        {QStringLiteral("cmbFXS_CID"), QStringLiteral("cmbFXS_CID_on"), QStringLiteral("cmbFXS_Unlist")}, page.content));
    left->addWidget(formGroup(QStringLiteral("Dialling and Polarity"),
        {QStringLiteral("txtFXS_DLP"), QStringLiteral("cmbFXS_Polar"), QStringLiteral("txtFXS_Polar")}, page.content));

    QGroupBox *ring = formGroup(QStringLiteral("Ring Cadence"), {QStringLiteral("cmbFXS_Signal")}, page.content);
    auto *cadence = new QGridLayout;
    for (int k = 0; k < 2; ++k) {
        int col = 0;
        for (const QString &name : {RecordLayouts::element(QStringLiteral("txtFXS_Ring"), k),
                 RecordLayouts::element(QStringLiteral("txtFXS_Pause"), k)}) {
            QWidget *box = place(name, ring);
            cadence->addWidget(labelFor(name, ring), k, col++, Qt::AlignRight);
            cadence->addWidget(box, k, col++);
            cadence->addWidget(new QLabel(presented(name).unit, ring), k, col++);
        }
    }
    cadence->setColumnMinimumWidth(3, 60);
    cadence->setColumnStretch(6, 1);
    qobject_cast<QFormLayout *>(ring->layout())->addRow(cadence);
    right->addWidget(ring);
    left->addStretch(1);
    right->addStretch(1);
    columns->addLayout(left);
    columns->addLayout(right);
    columns->addStretch(1);
    return finished(page);
}

QWidget *ConfigPages::buildGsmPage(QWidget *parent)
{
    const ScrolledPage page = scrolledPage(QStringLiteral("pageGSM"), parent);
    QWidget *content = page.content;
    auto *rows = new QVBoxLayout(content);
    auto *columns = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    left->addWidget(formGroup(QStringLiteral("Access"),
        {QStringLiteral("cmbGSM_FxoAccess"), QStringLiteral("cmbGSM_FxoViaNum"), QStringLiteral("cmbGSM_CallVia"),
            QStringLiteral("cmbGSM_RepFXO"), QStringLiteral("txtGSM_ATL")},
        content));
    left->addWidget(formGroup(QStringLiteral("Calls"),
        {QStringLiteral("cmbGSM_PreNum"), QStringLiteral("cmbGSM_inCall"), QStringLiteral("cmbGSM_TonGsm")}, content));
    left->addWidget(
        formGroup(QStringLiteral("Audio"), {QStringLiteral("cmbGSM_SPK"), QStringLiteral("cmbGSM_MIC")}, content));
    left->addWidget(formGroup(
        QStringLiteral("SIM Cards"), {QStringLiteral("txtGSM_PIN1"), QStringLiteral("txtGSM_PIN2")}, content));

    // The voice-rate lists are labelled "IN" and "OUT" only: their group's title
    // is the caption they are read with.
    const QString rateIn = RecordLayouts::element(QStringLiteral("cmbGSM_Rate"), 0);
    QGroupBox *radio = formGroup(presented(rateIn).caption,
        {rateIn, RecordLayouts::element(QStringLiteral("cmbGSM_Rate"), 1), QStringLiteral("cmbGSM_Band")}, content);
    auto *note = new QLabel(
        QStringLiteral("** IF the 'voice rate' / 'Frequency Band' were changed then you  should restart Gateway !!!"),
        radio);
    note->setObjectName(QStringLiteral("lblGSM_Note"));
    note->setStyleSheet(kNoteStyle);
    note->setWordWrap(true);
    qobject_cast<QFormLayout *>(radio->layout())->addRow(note);
    right->addWidget(radio);

    QGroupBox *status = formGroup(QStringLiteral("Network Status"),
        {QStringLiteral("cmbGSM_CELL"), QStringLiteral("cmbGSM_NET"), QStringLiteral("txtGSM_RXL"),
            QStringLiteral("txtGSM_PRD"), QStringLiteral("txtGSM_IDCELL"), QStringLiteral("txtGSM_MNL")},
        content);
    status->setObjectName(QStringLiteral("framGSM_Network"));
    // Two rows of four boxes, each row with one label before its first box; the
    // boxes stand at their places, which are not their element order.
    auto *periods = new QGridLayout;
    constexpr int kPeriods = 4;
    const char *periodRows[] {"txtGSM_SLCT", "txtGSM_TMR"};
    for (int r = 0; r < 2; ++r) {
        std::array<QString, kPeriods> byPlace;
        for (int k = 0; k < kPeriods; ++k) {
            const QString name = RecordLayouts::element(QString::fromLatin1(periodRows[r]), k);
            byPlace[presented(name).place - 1] = name;
        }
        for (int c = 0; c < kPeriods; ++c) {
            QWidget *box = place(byPlace[c], status);
            if (c == 0)
                periods->addWidget(labelFor(byPlace[c], status), r, 0, Qt::AlignRight);
            else
                box->setAccessibleName(presented(byPlace[c]).label);
            periods->addWidget(box, r, c + 1);
        }
    }
    periods->setColumnStretch(5, 1);
    qobject_cast<QFormLayout *>(status->layout())->addRow(periods);
    for (QWidget *control : status->findChildren<QWidget *>()) {
        if (qobject_cast<QComboBox *>(control) || qobject_cast<QLineEdit *>(control)) {
            control->setEnabled(false);
            control->setStyleSheet(kReadOnlyStyle);
        }
    }
    status->setAutoFillBackground(true);
    QPalette yellow = status->palette();
    yellow.setColor(QPalette::Window, QColor(255, 255, 192));
    status->setPalette(yellow);
    right->addWidget(status);

    left->addStretch(1);
    right->addStretch(1);
    columns->addLayout(left);
    columns->addLayout(right);
    columns->addStretch(1);
    rows->addLayout(columns);
    return finished(page);
}

QWidget *ConfigPages::buildSmsPage(QWidget *parent)
{
    const ScrolledPage page = scrolledPage(QStringLiteral("pageSMS"), parent);
    QWidget *content = leftColumn(page);
    auto *column = new QVBoxLayout(content);
    column->addWidget(formGroup(QStringLiteral("SMS Control"),
        {QStringLiteral("cmbSMS_CallBack"), QStringLiteral("cmbSMS_fxo"), QStringLiteral("cmbSMS_Setup"),
            QStringLiteral("cmbSMS_Confrim"), QStringLiteral("cmbSMS_Control")},
        content));
    column->addWidget(formGroup(
        QStringLiteral("Numbers"), {QStringLiteral("txtSMS_SpeNum"), QStringLiteral("txtSMS_Service")}, content));
    column->addStretch(1);
    return finished(page);
}

QWidget *ConfigPages::buildTonePage(QWidget *parent)
{
    const ScrolledPage page = scrolledPage(QStringLiteral("pageTONE"), parent);
    QWidget *content = leftColumn(page);
    auto *column = new QVBoxLayout(content);
    column->addWidget(formGroup(QStringLiteral("Mode"), {QStringLiteral("cmbTONE_Work")}, content));

    auto *tones = new QGroupBox(QStringLiteral("Tones"), content);
    auto *toneGrid = new QGridLayout(tones);
    for (int t = 0; t < 4; ++t) {
        for (int k = 0; k < 2; ++k) {
            const QString name = RecordLayouts::element(QStringLiteral("cmbTONE_Type"), 2 * t + k);
            QWidget *list = place(name, tones);
            toneGrid->addWidget(labelFor(name, tones), t, 3 * k, Qt::AlignRight);
            toneGrid->addWidget(list, t, 3 * k + 1);
        }
    }
    toneGrid->setColumnMinimumWidth(2, 24);
    toneGrid->setColumnStretch(6, 1);
    column->addWidget(tones);

    auto *cadences = new QGroupBox(QStringLiteral("Cadences"), content);
    auto *cadenceGrid = new QGridLayout(cadences);
    for (int c = 0; c < 3; ++c) {
        const PresentedControl &first = presented(RecordLayouts::element(QStringLiteral("txtTONE"), 4 + 4 * c));
        cadenceGrid->addWidget(new QLabel(first.caption, cadences), c, 0, Qt::AlignRight);
        for (int p = 0; p < 4; ++p) {
            const QString name = RecordLayouts::element(QStringLiteral("txtTONE"), 4 + 4 * c + p);
            QWidget *box = place(name, cadences);
            cadenceGrid->addWidget(labelFor(name, cadences), c, 1 + 2 * p, Qt::AlignRight);
            cadenceGrid->addWidget(box, c, 2 + 2 * p);
        }
        cadenceGrid->addWidget(new QLabel(first.unit, cadences), c, 9);
    }
    cadenceGrid->setColumnStretch(10, 1);
    column->addWidget(cadences);
    column->addStretch(1);
    return finished(page);
}
