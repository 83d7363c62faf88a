#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// The About window: the product's pictures and its version text, shown modally
// over the main window and made afresh on every press of "About".
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    // 7305 x 4950 twips at 96 dpi.
    static constexpr QSize kClientSize {487, 330};

    explicit frmAbout(QWidget *parent = nullptr);

    // The text of txtAbout: two empty lines, the version and the hardware version,
    // each ended by CR LF.
    static QString composeText();

    // Puts text into txtAbout; text() gives it back unchanged, line ends included.
    void setText(const QString &text);
    QString text() const { return m_text; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPlainTextEdit *txtAbout = nullptr;
    QPushButton *cmdClose = nullptr;
    QString m_text;
};
