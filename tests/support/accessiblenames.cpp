#include "accessiblenames.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

namespace {

bool isInput(QWidget *widget)
{
    return qobject_cast<QLineEdit *>(widget) || qobject_cast<QComboBox *>(widget)
        || qobject_cast<QAbstractButton *>(widget) || qobject_cast<QAbstractSpinBox *>(widget)
        || qobject_cast<QPlainTextEdit *>(widget) || qobject_cast<QTextEdit *>(widget)
        || qobject_cast<QAbstractItemView *>(widget);
}

// Parts that Qt builds inside another control (a combo box's line edit, a
// view's scroll bars and corner button) are announced through that control.
bool isInsideAnotherInput(QWidget *widget)
{
    if (widget->objectName().startsWith(QLatin1String("qt_")))
        return true;
    for (QWidget *parent = widget->parentWidget(); parent; parent = parent->parentWidget()) {
        if (qobject_cast<QComboBox *>(parent) || qobject_cast<QAbstractItemView *>(parent)
            || qobject_cast<QAbstractSpinBox *>(parent))
            return true;
    }
    return false;
}

} // namespace

QStringList unnamedInputs(QWidget *root)
{
    QStringList unnamed;
    const QList<QWidget *> widgets = root->findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        if (!isInput(widget) || isInsideAnotherInput(widget))
            continue;
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        const QString name = accessible ? accessible->text(QAccessible::Name).trimmed() : QString();
        if (name.isEmpty() || (!widget->objectName().isEmpty() && name == widget->objectName()))
            unnamed << QStringLiteral("%1 (%2)").arg(widget->objectName(), QString::fromLatin1(widget->metaObject()->className()));
    }
    return unnamed;
}
