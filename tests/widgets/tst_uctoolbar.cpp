#include "uctoolbar.h"

#include <QAccessible>
#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

class tst_ucToolBar : public QObject
{
    Q_OBJECT

private:
    static void click(ucToolBar &bar, const QString &key)
    {
        QWidget *button = bar.toolBar()->widgetForAction(bar.button(key));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }

private slots:
    void buttonsInOrder()
    {
        ucToolBar bar;
        const QStringList keys {"connect", "main", "isdn", "system", "call", "groups", "hst", "tsl", "dbg", "exit"};
        QCOMPARE(bar.buttonKeys(), keys);

        // Twelve buttons: the ten keyed ones and a separator after "connect" and before "exit".
        const QList<QAction *> actions = bar.toolBar()->actions();
        QCOMPARE(actions.size(), 12);
        QVERIFY(actions.at(1)->isSeparator());
        QVERIFY(actions.at(10)->isSeparator());
        QCOMPARE(actions.at(0)->objectName(), QStringLiteral("connect"));
        QCOMPARE(actions.at(11)->objectName(), QStringLiteral("exit"));
        QCOMPARE(bar.toolBar()->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    }

    void buttonTexts_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<QString>("picture");
        QTest::newRow("connect") << "connect"
                                 << "Connect"
                                 << "connect to gateway"
                                 << "connect2";
        QTest::newRow("main") << "main"
                              << "FXO"
                              << "FXO"
                              << "fxo";
        QTest::newRow("isdn") << "isdn"
                              << "FXS"
                              << "FXS"
                              << "fxs";
        QTest::newRow("system") << "system"
                                << "GSM"
                                << "system setting"
                                << "gsm2";
        QTest::newRow("call") << "call"
                              << "Prefixes"
                              << "incoming & outgoing calls report"
                              << "prf";
        QTest::newRow("groups") << "groups"
                                << "Number list"
                                << "Organize custom group"
                                << "prf2";
        QTest::newRow("hst") << "hst"
                             << "SMS"
                             << "Test the ports by handset"
                             << "sms";
        QTest::newRow("tsl") << "tsl"
                             << "Gateway"
                             << "change the b-channel setting"
                             << "gtw";
        QTest::newRow("dbg") << "dbg"
                             << "Debug"
                             << "Debug /Log"
                             << "dbg";
        QTest::newRow("exit") << "exit"
                              << "Exit"
                              << "Exit the program"
                              << "exit";
    }

    // Every click reports the button's key, never its caption.
    void buttonTexts()
    {
        QFETCH(QString, key);
        QFETCH(QString, caption);
        QFETCH(QString, toolTip);
        QFETCH(QString, picture);

        ucToolBar bar;
        bar.show();
        QAction *action = bar.button(key);
        QVERIFY(action);
        QCOMPARE(action->text(), caption);
        QCOMPARE(action->toolTip(), toolTip);
        QCOMPARE(action->icon().cacheKey(), bar.picture(picture).cacheKey());
        QVERIFY(!action->icon().pixmap(32, 32).isNull());

        QSignalSpy clicks(&bar, &ucToolBar::BtnClick);
        click(bar, key);
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks.at(0).at(0).toString(), key);
    }

    void imageListPictures()
    {
        ucToolBar bar;
        QCOMPARE(ucToolBar::pictureKeys().size(), 13);
        for (const QString &key : ucToolBar::pictureKeys()) {
            const QPixmap pixmap = bar.picture(key).pixmap(48, 48);
            QVERIFY2(!pixmap.isNull(), qPrintable(key));
            // Drawn, not blank: some pixel is not transparent.
            const QImage image = pixmap.toImage();
            bool drawn = false;
            for (int y = 0; y < image.height() && !drawn; ++y)
                for (int x = 0; x < image.width() && !drawn; ++x)
                    drawn = qAlpha(image.pixel(x, y)) != 0;
            QVERIFY2(drawn, qPrintable(key));
        }
        QVERIFY(bar.picture(QStringLiteral("nope")).isNull());
    }

    void pageButtonGroup()
    {
        ucToolBar bar;
        bar.show();
        QCOMPARE(bar.pressedKey(), QStringLiteral("main"));

        click(bar, QStringLiteral("isdn"));
        QCOMPARE(bar.pressedKey(), QStringLiteral("isdn"));
        QVERIFY(bar.button("isdn")->isChecked());
        QVERIFY(!bar.button("main")->isChecked());

        // Connect and Exit spring back and leave the pressed page button alone.
        for (const QString key : {QStringLiteral("connect"), QStringLiteral("exit")}) {
            click(bar, key);
            QVERIFY(!bar.button(key)->isChecked());
            QCOMPARE(bar.pressedKey(), QStringLiteral("isdn"));
        }

        // A second click on the pressed page button keeps it pressed.
        click(bar, QStringLiteral("isdn"));
        QCOMPARE(bar.pressedKey(), QStringLiteral("isdn"));
    }

    void everyWayOfPressingAPageButton_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("mouse click") << "mouse";
        QTest::newRow("assistive press") << "press";
        QTest::newRow("assistive toggle") << "toggle";
        QTest::newRow("space key") << "space";
    }

    // However a page button is pressed, the host hears of it once, by its key, and
    // the button that shows pressed is the page the host was told to show.
    void everyWayOfPressingAPageButton()
    {
        QFETCH(QString, way);
        ucToolBar bar;
        QSignalSpy clicks(&bar, &ucToolBar::BtnClick);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        const auto press = [&bar, &way](const QString &key) {
            auto *button = qobject_cast<QToolButton *>(bar.toolBar()->widgetForAction(bar.button(key)));
            QVERIFY(button);
            if (way == QLatin1String("mouse")) {
                QTest::mouseClick(button, Qt::LeftButton);
            } else if (way == QLatin1String("space")) {
                QTest::keyClick(button, Qt::Key_Space);
            } else {
                QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(button);
                QVERIFY(accessible && accessible->actionInterface());
                const QString action = way == QLatin1String("press") ? QAccessibleActionInterface::pressAction()
                                                                      : QAccessibleActionInterface::toggleAction();
                accessible->actionInterface()->doAction(action);
            }
        };
        const auto shownPressed = [&bar] {
            QStringList keys;
            for (const QString &key : bar.buttonKeys()) {
                if (bar.toolBar()->widgetForAction(bar.button(key))->property("checked").toBool())
                    keys << key;
            }
            return keys;
        };

        QCOMPARE(clicks.size(), 0);
        press(QStringLiteral("hst"));
        // A press through the key may be animated: the click comes when it ends.
        QTRY_COMPARE(clicks.size(), 1);
        QCOMPARE(clicks.at(0).at(0).toString(), QStringLiteral("hst"));
        QCOMPARE(bar.pressedKey(), QStringLiteral("hst"));
        QCOMPARE(shownPressed(), QStringList {QStringLiteral("hst")});

        // The pressed button again: it stays pressed and is reported as a click is.
        press(QStringLiteral("hst"));
        QTRY_COMPARE(clicks.size(), 2);
        QCOMPARE(clicks.at(1).at(0).toString(), QStringLiteral("hst"));
        QCOMPARE(bar.pressedKey(), QStringLiteral("hst"));
        QCOMPARE(shownPressed(), QStringList {QStringLiteral("hst")});
        QTest::qWait(50);
        QCOMPARE(clicks.size(), 2);
    }

    void captionAndEnableByKey()
    {
        ucToolBar bar;
        bar.show();
        auto *button = qobject_cast<QToolButton *>(bar.toolBar()->widgetForAction(bar.button("connect")));
        QVERIFY(button);
        for (const QString caption :
            {QStringLiteral("Disconnect"), QStringLiteral("Stop server"), QStringLiteral("Connect")}) {
            QVERIFY(bar.setButtonCaption(QStringLiteral("connect"), caption));
            QCOMPARE(button->text(), caption);
        }

        QSignalSpy clicks(&bar, &ucToolBar::BtnClick);
        QVERIFY(bar.setButtonEnable(QStringLiteral("connect"), false));
        QVERIFY(!button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(clicks.size(), 0);
        QVERIFY(bar.setButtonEnable(QStringLiteral("connect"), true));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(clicks.size(), 1);
    }

    void unknownKeyFails()
    {
        ucToolBar bar;
        // Keys are matched exactly; the caption is not a key.
        for (const QString key : {QStringLiteral("sim"), QStringLiteral("Connect"), QString()}) {
            QVERIFY(!bar.setButtonCaption(key, QStringLiteral("x")));
            QVERIFY(!bar.setButtonEnable(key, false));
        }
        for (const QString &key : bar.buttonKeys())
            QVERIFY(bar.button(key)->isEnabled());
        QCOMPARE(bar.button("connect")->text(), QStringLiteral("Connect"));
    }
};

QTEST_MAIN(tst_ucToolBar)
#include "tst_uctoolbar.moc"
