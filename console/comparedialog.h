#pragma once

#include <configurationdiff.h>

#include <QDialog>
#include <QList>
#include <QString>

class QLabel;
class QTreeWidget;

// The differences between two configurations as a list the operator reads: the
// page, the field by the label it has on its page, the one value and the other.
// Activating a line asks to show that field on its page. Compare closes with
// Close; the preview of a save has OK (write) and Cancel (write nothing).
class CompareDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Mode { Compare, Preview };

    // sideA and sideB head the two value columns ("Pages", "Gateway", a file name).
    CompareDialog(Mode mode, const QString &title, const QString &sideA, const QString &sideB,
        const QList<ConfigurationDiff::Difference> &differences, QWidget *parent = nullptr);

    QTreeWidget *list() const { return m_list; }
    // The sentence above the list: the summary, or "No changes." for a preview.
    QString summaryText() const;

signals:
    // A line was activated: show this field on its page (row and col 0 for a
    // list or text box).
    void fieldActivated(int page, const QString &control, int row, int col);

private:
    QList<ConfigurationDiff::Difference> m_differences;
    QLabel *m_summary = nullptr;
    QTreeWidget *m_list = nullptr;
};
