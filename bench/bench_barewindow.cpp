// The yardstick of the start-up and memory figures: a bare Qt main window,
// started the way the console is. Prints the milliseconds from the launch to
// the window's first paint and the resident memory at that moment, then quits.
//
//   bench_barewindow        prints "startup_ms <ms>" and "rss_kb <kb>"
//
// The launch time is taken as startupprobe.h says.

#include "startupprobe.h"

#include <QApplication>
#include <QMainWindow>

using StartupProbe::FirstPaint;

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QMainWindow window;
    FirstPaint firstPaint;
    window.installEventFilter(&firstPaint);
    window.resize(1100, 800);
    window.show();
    return app.exec();
}
