#pragma once

#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QString>
#include <QWidget>

class QAction;
class QActionGroup;
class QToolBar;

// The row of large picture buttons along the top of the main window: one button
// per page, plus Connect and Exit. Reports every click by the button's key and
// lets the host change a button's caption or enabled state by key.
class ucToolBar : public QWidget
{
    Q_OBJECT

public:
    explicit ucToolBar(QWidget *parent = nullptr);

    // False when no button has that key; nothing changes then.
    bool setButtonCaption(const QString &key, const QString &sCaption);
    bool setButtonEnable(const QString &key, bool fEnable);
    // Marks a page button whose page holds values not yet written: a dot on its
    // picture, a line in its tool tip and its accessible description. False when
    // no button has that key.
    bool setButtonMarked(const QString &key, bool marked);
    bool isButtonMarked(const QString &key) const;
    // The tool tip line and accessible description of a marked button.
    static inline const QString kMarkedText = QStringLiteral("Changed, not yet written");

    // The button with that key, or null.
    QAction *button(const QString &key) const;
    // The keys of the buttons, left to right.
    QStringList buttonKeys() const;
    // The key of the page button that shows pressed.
    QString pressedKey() const;
    // A picture of the image list by its key; a null icon for an unknown key.
    QIcon picture(const QString &key) const;
    static QStringList pictureKeys();

    QToolBar *toolBar() const { return tlbMenu; }

signals:
    void BtnClick(const QString &key);

private:
    QAction *addButton(const QString &key, const QString &caption, const QString &toolTip, const QString &pictureKey);
    void followCheckedButton(QAction *action);
    void settlePageButton(QAction *action);

    QToolBar *tlbMenu = nullptr;
    QActionGroup *m_pageGroup = nullptr;
    // The page button whose check changed and whose trigger has not come yet.
    QPointer<QAction> m_untriggered;
    QHash<QString, QIcon> imgNEW;
    // Per button key: its picture key, its own tool tip, and whether it is marked.
    QHash<QString, QString> m_pictureKeys;
    QHash<QString, QString> m_toolTips;
    QHash<QString, bool> m_marked;
    QHash<QString, QAction *> m_buttons;
    QStringList m_keys;
};
