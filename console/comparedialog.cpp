#include "comparedialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { ColumnPage, ColumnField, ColumnA, ColumnB, ColumnCount };

constexpr QSize kInitialSize {760, 420};

} // namespace

CompareDialog::CompareDialog(Mode mode, const QString &title, const QString &sideA, const QString &sideB,
    const QList<ConfigurationDiff::Difference> &differences, QWidget *parent)
    : QDialog(parent)
    , m_differences(differences)
{
    setObjectName(QStringLiteral("CompareDialog"));
    setWindowTitle(title);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("lblCompareSummary"));
    m_summary->setTextFormat(Qt::PlainText);
    if (mode == Mode::Preview && differences.isEmpty())
        m_summary->setText(QStringLiteral("No changes."));
    else
        m_summary->setText(ConfigurationDiff::summary(differences));

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lstDifferences"));
    m_list->setAccessibleName(QStringLiteral("Differences"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setColumnCount(ColumnCount);
    m_list->setHeaderLabels({QStringLiteral("Page"), QStringLiteral("Field"), sideA, sideB});
    m_list->header()->setSectionResizeMode(QHeaderView::Interactive);
    QList<QTreeWidgetItem *> items;
    items.reserve(differences.size());
    for (const ConfigurationDiff::Difference &difference : differences) {
        auto *item = new QTreeWidgetItem(
            QStringList {difference.pageTitle, difference.label, difference.valueA, difference.valueB});
        // The values are texts the gateway holds; a tool tip shows a long one whole.
        item->setToolTip(ColumnA, difference.valueA);
        item->setToolTip(ColumnB, difference.valueB);
        items << item;
    }
    m_list->addTopLevelItems(items);
    for (int column = 0; column < ColumnCount; ++column)
        m_list->resizeColumnToContents(column);
    if (!items.isEmpty())
        m_list->setCurrentItem(items.first());
    connect(m_list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) {
        const int index = m_list->indexOfTopLevelItem(item);
        if (index < 0 || index >= m_differences.size())
            return;
        const ConfigurationDiff::Difference &difference = m_differences.at(index);
        emit fieldActivated(difference.page, difference.control, difference.row, difference.col);
    });

    auto *buttons = new QDialogButtonBox(this);
    if (mode == Mode::Preview) {
        buttons->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    } else {
        buttons->setStandardButtons(QDialogButtonBox::Close);
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *column = new QVBoxLayout(this);
    column->addWidget(m_summary);
    column->addWidget(m_list, 1);
    column->addWidget(buttons);
    resize(kInitialSize);
}

QString CompareDialog::summaryText() const
{
    return m_summary->text();
}
