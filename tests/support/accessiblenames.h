#pragma once

#include <QStringList>

class QWidget;

// The input controls below root that a screen reader would announce without a
// name, or by their object name instead of the label the operator reads; each as
// "objectName (class)". Qt's own helper widgets inside a control are skipped.
QStringList unnamedInputs(QWidget *root);
