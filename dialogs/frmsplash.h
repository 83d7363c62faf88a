#pragma once

#include <QWidget>

#include <chrono>

class QLabel;
class QTimer;

// The program's first window: shows the product and its version while the main
// window loads. Its timer fires once, shortly after the splash is up, and asks
// the program to load the main window, which closes the splash when it is done.
class frmSplash : public QWidget
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kSplashDelay {10};
    // 8145 x 4380 twips at 96 dpi.
    static constexpr QSize kClientSize {543, 292};

    explicit frmSplash(QWidget *parent = nullptr, std::chrono::milliseconds delay = kSplashDelay);

signals:
    // The splash is up: load the main window now. Raised once.
    void loadingStarted();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void tmrSplash_Timer();
    void centreOnScreen();

    QLabel *lblPrgVer = nullptr;
    QLabel *lblLoading = nullptr;
    QLabel *lblVersion = nullptr;
    QTimer *tmrSplash = nullptr;
    bool m_loadingStarted = false;
};
