#pragma once

#include "autocompletehistory.h"

#include <QPointer>
#include <QSet>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QToolButton;

// A one-line input that remembers the last six values committed to it under a
// history name and, while the operator types, offers the remembered values that
// begin with the typed text in a list under the box. The list floats over the
// window (it is a child of the top-level window while shown), so it is never
// squeezed by the layout the input sits in; an input that is itself a window
// grows to hold it instead.
class AutoCombo : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text)
    Q_PROPERTY(bool ucEnable READ ucEnable WRITE setUcEnable)

public:
    explicit AutoCombo(QWidget *parent = nullptr);
    ~AutoCombo() override;

    // Where Data.xml is kept; the console's settings folder unless set.
    void setHistoryFolder(const QString &folder);
    QString historyFolder() const { return m_history.folder(); }

    // Binds the history name and loads the history; an empty box then shows the
    // most recent value. False when the settings store failed (see errorText()).
    bool INIT(const QString &sNameID);
    // As INIT, with a history loaded beforehand (by an owner that keeps it
    // until the input is built); false when that load failed.
    bool adoptHistory(const AutoCompleteHistory &history);
    QString errorText() const { return m_history.errorText(); }
    // Commits the text in the box to the history file. Store failures leave the
    // file as it was; the result only says whether anything was written.
    bool WriteToReg();
    // Adds a value to the loaded history (not to the file) while it holds fewer
    // than six; false otherwise.
    bool AddItem(const QString &strItem);

    QString text() const;
    bool ucEnable() const { return m_enabled; }
    void setUcEnable(bool enable);

    QLineEdit *textBox() const { return txt_ToComplete; }
    QListWidget *suggestionList() const;
    QToolButton *showListButton() const { return cmdShowList; }
    const AutoCompleteHistory &history() const { return m_history; }
    bool isListShown() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void ListClosed();
    void ListOpened();
    void EntryPicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    bool boxEvent(QEvent *event);
    bool listEvent(QEvent *event);
    void boxKeyReleased(int key);
    void cmdShowList_Click();
    void lstCompleted_DblClick();
    void pickFromList();

    void fillList(const QStringList &lines);
    void refillList();
    void openList();
    void closeList();
    void applyPickedTest();
    void takeSelectedLine();
    void setListButtonShowing(bool showing);
    void placeList();
    void layoutParts();
    int boxHeight() const;
    int listRowHeight() const;

    QLineEdit *txt_ToComplete = nullptr;
    QPointer<QListWidget> lstCompleted;
    QToolButton *cmdShowList = nullptr;
    QPointer<QWidget> m_listHost;

    AutoCompleteHistory m_history;
    QSet<int> m_keysDownInBox;
    bool m_picked = false;
    bool m_enabled = true;
};
