// Pictures of the console in every skin, to see that a change to the skins or
// to how the window builds its pages leaves the look as it was. Not a
// benchmark and not a test: run by hand before and after a change, into two
// folders, then compare them.
//
//   skinshots grab <folder> [styles folder]   writes skin<s>-page<p>.png for
//       every skin list entry and page, skin<s>-popup.png (an opened selection
//       list), skin<s>-topbar-popup.png, skin<s>-splash.png and skin<s>-about.png
//   skinshots compare <folder A> <folder B>   prints every picture that differs,
//       how many pixels do and the rectangle they lie in; exit status 1 when any picture differs
//
// The window is filled with a few records first, so that lists and text boxes
// show values and not only their empty frames. Runs on the offscreen platform.

#include <frmabout.h>
#include <frmprigroups.h>
#include <frmsplash.h>
#include <gatewaysession.h>
#include <settingsfile.h>
#include <settingslocation.h>

#include <fieldcodecs.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRect>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

constexpr const char *kRecords[] = {
    "FXO0,,3,4,11,10,40,1,2,98,0,2,30",
    "FXS5,10,50,150,0,0,1,20",
    "PRF01,0912,1",
    "LST01,09121234567,1,0",
};

void settle()
{
    for (int turn = 0; turn < 5; ++turn) {
        QCoreApplication::processEvents();
        QTest::qWait(5);
    }
}

bool save(const QImage &image, const QString &folder, const QString &name)
{
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (image.save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

int grab(const QString &folder, const QString &stylesFolder)
{
    QDir().mkpath(folder);
    bool ok = true;
    // SKINSHOTS_FIRST starts at a later skin, to see one skin as a fresh start shows it.
    for (int skin = qEnvironmentVariableIntValue("SKINSHOTS_FIRST"); skin < FrmPRIGroups::kSkinCount; ++skin) {
        QTemporaryDir settingsFolder;
        {
            SettingsFile settings(SettingsLocation::settingFile(settingsFolder.path()));
            settings.setValue(QStringLiteral("SKIN"), QStringLiteral("num"), QString::number(skin));
        }
        FrmPRIGroups::Options options;
        options.settingsFolder = settingsFolder.path();
        options.stylesFolder = stylesFolder;
        auto *window = new FrmPRIGroups(options);
        window->startUp();
        // Active, as the operator sees it: some widgets draw the active colours whatever their state.
        QApplication::setActiveWindow(window);
        for (const char *record : kRecords) {
            const QString line = QString::fromLatin1(record);
            window->session()->configuration().applyRecord(
                line.left(3), *FieldCodecs::splitString(line.mid(3), QLatin1Char(',')));
        }
        settle();
        const QString prefix = QStringLiteral("skin%1").arg(skin);
        for (int page = 0; page < FrmPRIGroups::kPageCount; ++page) {
            window->showPage(qint16(page));
            settle();
            ok = save(window->grab().toImage(), folder, prefix + QStringLiteral("-page%1").arg(page)) && ok;
        }
        window->showPage(2);
        settle();
        // A selection list of a page and the skin list, opened.
        for (const char *name : {"cmbFXO_AGSM", "cmbSkin"}) {
            auto *list = window->findChild<QComboBox *>(QString::fromLatin1(name));
            if (!list)
                continue;
            list->showPopup();
            settle();
            QWidget *popup = list->view()->window();
            ok = save(popup->grab().toImage(), folder,
                     prefix
                         + (qstrcmp(name, "cmbSkin") == 0 ? QStringLiteral("-topbar-popup") : QStringLiteral("-popup")))
                && ok;
            list->hidePopup();
            settle();
        }
        {
            // The splash as a skin finds it when start-up applies one.
            frmSplash splash(nullptr, std::chrono::hours(1));
            splash.show();
            settle();
            ok = save(splash.grab().toImage(), folder, prefix + QStringLiteral("-splash")) && ok;
        }
        {
            frmAbout about(window);
            about.setText(frmAbout::composeText());
            about.show();
            settle();
            ok = save(about.grab().toImage(), folder, prefix + QStringLiteral("-about")) && ok;
        }
        delete window;
        qApp->setStyleSheet(QString());
        settle();
    }
    return ok ? 0 : 2;
}

int compare(const QString &first, const QString &second)
{
    int differing = 0;
    const QStringList names = QDir(first).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        const QImage a = QImage(first + QLatin1Char('/') + name).convertToFormat(QImage::Format_ARGB32);
        const QImage b = QImage(second + QLatin1Char('/') + name).convertToFormat(QImage::Format_ARGB32);
        if (b.isNull()) {
            std::printf("%s: missing in %s\n", qPrintable(name), qPrintable(second));
            ++differing;
            continue;
        }
        if (a.size() != b.size()) {
            std::printf("%s: %dx%d against %dx%d\n", qPrintable(name), a.width(), a.height(), b.width(), b.height());
            ++differing;
            continue;
        }
        long pixels = 0;
        QRect where;
        for (int y = 0; y < a.height(); ++y) {
            const auto *lineA = reinterpret_cast<const QRgb *>(a.constScanLine(y));
            const auto *lineB = reinterpret_cast<const QRgb *>(b.constScanLine(y));
            for (int x = 0; x < a.width(); ++x) {
                if (lineA[x] != lineB[x]) {
                    if (!pixels)
                        std::printf("%s: first at %d,%d: #%06x against #%06x\n", qPrintable(name), x, y,
                            lineA[x] & 0xffffff, lineB[x] & 0xffffff);
                    ++pixels;
                    where |= QRect(x, y, 1, 1);
                }
            }
        }
        if (pixels) {
            std::printf("%s: %ld pixels differ, within %d,%d %dx%d\n", qPrintable(name), pixels, where.x(), where.y(),
                where.width(), where.height());
            ++differing;
        }
    }
    std::printf("%lld pictures compared, %d differ\n", static_cast<long long>(names.size()), differing);
    return differing ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("grab"))
        return grab(args[2], args.value(3, QCoreApplication::applicationDirPath() + QStringLiteral("/Styles")));
    if (args.size() == 4 && args[1] == QLatin1String("compare"))
        return compare(args[2], args[3]);
    std::fprintf(stderr, "usage: skinshots grab <folder> [styles folder] | skinshots compare <folder A> <folder B>\n");
    return 2;
}
