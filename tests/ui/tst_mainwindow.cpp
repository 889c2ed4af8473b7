#include "FixedClock.h"
#include "TabsWindow.h"

#include "core/common/AppSettings.h"
#include "core/session/EncoderChannel.h"
#include "core/transport/PortLine.h"
#include "ui/ChangeTracker.h"
#include "ui/DeferredIconEngine.h"
#include "ui/FirstPaintStyle.h"
#include "ui/HelpLauncher.h"
#include "ui/HelpWindow.h"
#include "ui/SplashScreen.h"
#include "ui/StartUp.h"
#include "ui/WindowIcon.h"
#include "ui/dialogs/DefaultInfoDialog.h"
#include "ui/dialogs/PortSettingsDialog.h"

#include <QAccessible>
#include <QAction>
#include <QGroupBox>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

// Calls back for every event of one type that reaches any object of the program.
class EventWatch : public QObject
{
public:
    EventWatch(QEvent::Type type, std::function<void(QObject *)> seen)
        : m_type(type), m_seen(std::move(seen))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        if (event->type() == m_type)
            m_seen(receiver);
        return false;
    }

private:
    QEvent::Type m_type;
    std::function<void(QObject *)> m_seen;
};

// The window's own rules: clock labels, the link presentation, the sending state, time-outs,
// the keep-alive, closing, help, the keyboard and the start-up order.
class tst_MainWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

private slots:
    void initTestCase()
    {
        // The default data folder is made under the home folder: keep it out of the real one.
        qputenv("HOME", QFile::encodeName(m_home.path()));
        HelpLauncher::HelpFilePath = QFINDTESTDATA("../../help/Quillcast.htm");
    }

    // Nothing the main window shows at its first paint is read from an image file: the first
    // image read loads every image-format plugin, a good part of a megabyte before the window is
    // there. This runs first, before any other test has read an image.
    void firstPaintReadsNoImage()
    {
        // The start looks for the help pages beside the program: the tests' pages stay.
        const auto keepHelp =
            qScopeGuard([path = HelpLauncher::HelpFilePath] { HelpLauncher::HelpFilePath = path; });
        TestSettings::wipe();
        DefaultInfo{"Quill Network", "KQIL", "77"}.saveDefaultInfo();
        QGuiApplication::setWindowIcon(WindowIcon::icon());
        ScriptedDialogs dialogs;
        // Read once the first paint is over, as the window's first picture is complete.
        QStringList pluginsAtFirstPaint;
        bool seen = false;
        bool painted = false;
        EventWatch watch(QEvent::Paint, [&](QObject *receiver) {
            const auto *widget = qobject_cast<QWidget *>(receiver);
            if (seen || !widget || !qobject_cast<MainWindow *>(widget->window()))
                return;
            seen = true;
            QTimer::singleShot(0, [&] {
                painted = true;
                QFile maps(QStringLiteral("/proc/self/maps"));
                if (!maps.open(QIODevice::ReadOnly))
                    pluginsAtFirstPaint << maps.errorString();
                for (const QByteArray &line : maps.readAll().split('\n'))
                    if (line.contains("/imageformats/"))
                        pluginsAtFirstPaint
                            << QString::fromLocal8Bit(line.mid(line.lastIndexOf(' ')));
            });
        });
        StartUp startUp(false);
        startUp.start();
        QTRY_VERIFY(painted);
        QCOMPARE(pluginsAtFirstPaint, QStringList());
    }

    // Connected, the link is kept alive every five minutes; disconnected, the panels clear.
    void connectKeepAliveAndDisconnect()
    {
        FixedClock clock(QDateTime(QDate(2008, 4, 9), QTime(14, 5, 7)));
        TabsWindow w;
        QPushButton *connect = w.top.cmdConnect();
        QCOMPARE(w.panel(0), QStringLiteral(" Disconnected"));
        QTest::mouseClick(connect, Qt::LeftButton);
        QVERIFY(!connect->isEnabled());
        QTRY_COMPARE(w.panel(0), QStringLiteral(" Connected"));
        QVERIFY(connect->isEnabled());
        QCOMPARE(w.panel(2), QStringLiteral("Connected to Orvane Simulated Encoder, Serial"));
        QList<QByteArray> written;
        w.link()->channel()->port()->setWriteObserver(
            [&](const QByteArray &piece) { written << piece; });
        w.top.textPanel(2)->clear();
        for (int second = 0; second < 300; ++second) // 00:00:00 to 00:04:59
            w.top.tick();
        QVERIFY(written.isEmpty());
        QCOMPARE(w.panel(1), QStringLiteral("00:04:59"));
        w.top.tick();
        QCOMPARE(written, QList<QByteArray>{CtrlACommand::readinessQuery()});
        QTRY_VERIFY(!w.panel(2).isEmpty()); // the answer refreshes it
        w.top.tick();
        QCOMPARE(written.size(), 1);
        w.set("txtArticleList", "NEWS T2 3");

        QTest::mouseClick(connect, Qt::LeftButton);
        QCOMPARE(w.panel(0) + w.panel(2), QStringLiteral(" Disconnected"));
        w.top.tick();
        QCOMPARE(w.panel(1), QString());
        QCOMPARE(w.find<QPlainTextEdit>("txtArticleList")->toPlainText(), QString());
        w.link()->channel()->setCOMSettings(LineSettings()); // no port can open with these
        QTest::mouseClick(connect, Qt::LeftButton);
        QCOMPARE(w.dialogs.shown.size(), 1);
        QVERIFY(connect->isEnabled());
    }

    void sendingStateLastsTwoSeconds()
    {
        TabsWindow w;
        const QStringList buttons = {"cmdRefreshArticles", "cmdInsArticle", "cmdRemoveArticle",
                                     "cmdConnect", "cmdSendConfig"};
        QPushButton *send = w.top.cmdSendConfig();
        Sequencer *link = w.link();
        QVERIFY(w.connect());
        QTest::mouseClick(send, Qt::LeftButton);
        QCOMPARE(send->text(), QStringLiteral("Sendin&g..."));
        QCOMPARE(w.enabledOf(buttons), QStringList());
        QCOMPARE(link->timerSendConfigDisable()->interval(), 2000);
        QVERIFY(link->timerSendConfigDisable()->isSingleShot());
        link->timerSendConfigDisable()->start(60000); // the replies all come "within" it
        QTRY_VERIFY(link->commandQueue().isEmpty() && !link->timerCommTimeout()->isActive());
        QCOMPARE(send->text(), QStringLiteral("Sendin&g..."));
        // The configuration ends with the article-list request, whose reply fills the tab.
        QVERIFY(w.find<QPlainTextEdit>("txtArticleList")->toPlainText().startsWith("Article"));
        link->endSendingPeriod();
        QCOMPARE(send->text(), QStringLiteral("Send Confi&guration"));
        QCOMPARE(w.enabledOf(buttons), buttons);
    }

    void closeAsksFirst_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes closes") << true;
        QTest::newRow("no stays") << false;
    }
    // The settings are stored at close only.
    void closeAsksFirst()
    {
        QFETCH(bool, yes);
        TabsWindow w;
        w.dialogs.answers = {yes ? DialogService::Answer::Yes : DialogService::Answer::No};
        w.top.show();
        QVERIFY(w.connect());
        QCOMPARE(w.top.close(), yes);
        QCOMPARE(w.dialogs.texts(), QStringList{"Are you sure you want to exit?"});
        QCOMPARE(w.top.isVisible(), !yes);
        QCOMPARE(w.link()->channel()->portIsOpen(), !yes);
        QCOMPARE(AppSettings::get("COMSettings", "Device"),
                 yes ? QStringLiteral("Simulated encoder") : QString());
    }

    // F1 on a tab or dialog opens their page in the help window.
    void helpPages_data()
    {
        QTest::addColumn<QString>("place"); // a tab's index, "port" or "defaults"
        QTest::newRow("Plant_Options.htm") << "0";
        QTest::newRow("CGMS-A_Insertion.htm") << "6";
        QTest::newRow("Port_Menu.htm") << "port";
        QTest::newRow("Starting.htm") << "defaults";
    }
    // The row's name is the page.
    void helpPages()
    {
        QFETCH(QString, place);
        TabsWindow w;
        QVERIFY(place == "defaults" || w.show()); // the dialog shows before the window
        if (HelpLauncher::helpWindow())
            HelpLauncher::helpWindow()->close();
        // A help window opened over a modal dialog belongs to it: the dialog stays to the end.
        std::unique_ptr<QDialog> dialog;
        if (place == "port") {
            dialog = std::make_unique<PortSettingsDialog>(w.link(), &w.top);
            dialog->show();
            QTest::keyClick(dialog->findChild<QComboBox *>("cmbBaud"), Qt::Key_F1);
        } else if (place == "defaults") {
            dialog = std::make_unique<DefaultInfoDialog>();
            dialog->show();
            QTest::keyClick(dialog->findChild<QLineEdit *>("txtCallLetters"), Qt::Key_F1);
        } else {
            w.tabs->setCurrentIndex(place.toInt());
            QTest::keyClick(&w.top, Qt::Key_F1);
        }
        QVERIFY(HelpLauncher::helpWindow()->isVisible());
        QCOMPARE(HelpLauncher::helpWindow()->source().fileName(), QTest::currentDataTag());
    }

    void leaveCheckComesBeforeTheClick_data()
    {
        QTest::addColumn<bool>("connect"); // else tab 0 is pressed, from the next tab
        QTest::addColumn<bool>("yes");
        QTest::newRow("another tab, Yes: tab and focus stay") << false << true;
        QTest::newRow("another tab, No: the tab changes") << false << false;
        QTest::newRow("Connect, No: Connect runs") << true << false;
    }
    // A press whose release the question's box takes, as a real modal box does.
    void leaveCheckComesBeforeTheClick()
    {
        QFETCH(bool, connect);
        QFETCH(bool, yes);
        const int tab = connect ? 0 : 1;
        const QString field = connect ? "TSID" : "ProgramName";
        TabsWindow w;
        QVERIFY(w.show());
        w.tabs->setCurrentIndex(tab);
        w.insert(field);
        QLineEdit *box = w.box("txt" + field);
        box->setText(connect ? "0" : "A");
        box->setFocus();
        w.dialogs.answers = {yes ? DialogService::Answer::Yes : DialogService::Answer::No};

        // Pressed through the window, as the window system delivers it.
        QWidget *pressed = connect ? static_cast<QWidget *>(w.top.cmdConnect()) : w.tabs->tabBar();
        const QPoint at =
            connect ? pressed->rect().center() : w.tabs->tabBar()->tabRect(0).center();
        QTest::mousePress(w.top.windowHandle(), Qt::LeftButton, {}, pressed->mapTo(&w.top, at));
        QCOMPARE(w.dialogs.texts().size(), 1);
        QVERIFY(w.dialogs.texts().first().contains("to be inserted"));
        if (!connect)
            QCOMPARE(w.tabs->currentIndex(), yes ? tab : 0);
        else
            QCOMPARE(w.link()->channel()->portIsOpen(), !yes);
        if (yes) {
            QTRY_VERIFY(box->hasFocus());
            QCOMPARE(w.tabs->currentIndex(), tab);
        } else {
            QVERIFY(w.option("o" + field, 2)->isChecked());
        }
    }

    // The keyboard visits the upstream blocking boxes row by row, as they are read.
    void blockingBoxesInReadingOrder()
    {
        TabsWindow w;
        w.tabs->setCurrentIndex(2);
        QVERIFY(w.show());
        QList<QWidget *> boxes;
        for (QWidget *at = w.find("chBlockingSettings_0"); boxes.size() < 9;
             at = at->nextInFocusChain())
            if (at->objectName().startsWith("chBlockingSettings_"))
                boxes << at;
        QList<QWidget *> read = boxes;
        std::sort(read.begin(), read.end(), [&w](QWidget *a, QWidget *b) {
            const QPoint p = a->mapTo(&w.top, QPoint()), q = b->mapTo(&w.top, QPoint());
            return p.y() < q.y() || (p.y() == q.y() && p.x() < q.x());
        });
        QCOMPARE(boxes, read);
    }

    void everyControlHasItsOwnMnemonic_data()
    {
        QTest::addColumn<int>("tab"); // -1: the Port Settings dialog
        for (int tab = -1; tab < 7; ++tab)
            QTest::addRow("tab %d", tab) << tab;
    }
    // Every visible button, and every input through its caption, answers to an Alt+letter that
    // no other control of its page nor a menu title has; members of an option group or channel
    // list are reached through their field, and packet controls are announced with their field.
    void everyControlHasItsOwnMnemonic()
    {
        QFETCH(int, tab);
        TabsWindow w;
        PortSettingsDialog dialog(w.link(), &w.top);
        QWidget *page = tab < 0 ? &dialog : w.tabs->widget(tab);
        w.tabs->setCurrentIndex(qMax(tab, 0));
        QStringList taken;
        for (QAction *menu : w.top.menuBar()->actions())
            taken << QKeySequence::mnemonic(menu->text()).toString();
        const auto claim = [&taken](QWidget *control, const QString &caption) {
            const QString key = QKeySequence::mnemonic(caption).toString();
            const QString name =
                QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
            QVERIFY2(key.startsWith("Alt+") && !taken.contains(key), qPrintable(key + ' ' + name));
            QVERIFY2(!name.isEmpty() && !name.contains('&'), qPrintable(name));
            taken << key;
        };
        const auto inList = [](QWidget *c) {
            return c->inherits("QAbstractButton") && c->objectName().contains('_');
        };
        QList<QAbstractButton *> buttons = page->findChildren<QAbstractButton *>();
        if (tab >= 0)
            buttons << w.top.cmdConnect() << w.top.cmdSendConfig();
        for (QAbstractButton *button : buttons)
            if (button->isVisibleTo(page->window()) && !inList(button))
                claim(button, button->text());
        for (QLabel *label : page->findChildren<QLabel *>())
            if (label->isVisibleTo(page->window()) && label->buddy() &&
                (label->buddy()->focusPolicy() & Qt::TabFocus) && !inList(label->buddy()))
                claim(label->buddy(), label->text());
        if (tab == 0) { // Alt+C connects and, its letter kept, disconnects
            const auto heard = [&w](const char *control) {
                return QAccessible::queryAccessibleInterface(w.find(control))
                    ->text(QAccessible::Name);
            };
            QCOMPARE(heard("chCtrlNetworkName") + '|' + heard("oCallLetters_1"),
                     QStringLiteral("Enable Control, Network Name|Block Upstream, Call Letters"));
            QVERIFY(w.show());
            QTest::keyClick(&w.top, Qt::Key_C, Qt::AltModifier);
            QTRY_COMPARE(w.link()->linkState(), Sequencer::LinkState::Connected);
            QTest::keyClick(&w.top, Qt::Key_C, Qt::AltModifier);
            QTRY_COMPARE(w.link()->linkState(), Sequencer::LinkState::Disconnected);
        }
    }

    // The start: the splash for three seconds, the default information unless stored, the window
    // (last: the default-information dialog sets where help is found).
    void startUpOrder_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<bool>("splash");
        QTest::addColumn<QString>("button"); // pressed in the default-information dialog
        QTest::newRow("stored defaults") << true << true << "";
        QTest::newRow("first start") << false << true << "cmdOk";
        QTest::newRow("first start, no splash") << false << false << "cmdOk";
        QTest::newRow("first start, Exit") << false << true << "cmdExit";
    }
    void startUpOrder()
    {
        QFETCH(bool, stored);
        QFETCH(bool, splash);
        QFETCH(QString, button);
        const QStringList boxes = {"txtNetworkName", "txtCallLetters", "txtTSID"};
        const QStringList typed = {"Quill Network", "KQIL", "77"};
        TestSettings::wipe();
        if (stored)
            DefaultInfo{typed[0], typed[1], typed[2]}.saveDefaultInfo();
        ScriptedDialogs dialogs;
        HelpLauncher::HelpFilePath.clear();
        StartUp startUp(splash);
        QSignalSpy declined(&startUp, &StartUp::declined);
        startUp.start();
        // Between two windows of the start none is on screen: that must not end the program.
        QVERIFY(!QGuiApplication::quitOnLastWindowClosed());
        if (splash) {
            // The splash window alone, for 3000 ms.
            SplashScreen *window = startUp.splash();
            QVERIFY(window->isVisible());
            QCOMPARE(window->timerSplash()->interval(), 3000);
            QVERIFY(!startUp.defaultInfoDialog() && !startUp.mainWindow());
            window->finishSplash();
        }
        // The default-information dialog has loaded: help knows its pages.
        QVERIFY(HelpLauncher::HelpFilePath.endsWith("/Quillcast.htm"));
        if (!stored) {
            DefaultInfoDialog *dialog = startUp.defaultInfoDialog();
            QVERIFY(dialog->isVisible() && !startUp.mainWindow());
            for (int i = 0; i < 3; ++i)
                dialog->findChild<QLineEdit *>(boxes[i])->setText(typed[i]);
            QTest::mouseClick(dialog->findChild<QPushButton *>(button), Qt::LeftButton);
        }
        QCOMPARE(declined.size(), button == "cmdExit" ? 1 : 0);
        MainWindow *window = startUp.mainWindow();
        QCOMPARE(window && window->isVisible(), button != "cmdExit");
        for (int i = 0; window && i < 3; ++i)
            QCOMPARE(window->findChild<QLineEdit *>(boxes[i])->text(), typed[i]);
        // Once the main window is there, closing it ends the program.
        QCOMPARE(QGuiApplication::quitOnLastWindowClosed(), window != nullptr);
    }

    // The window comes with its first page, at the size it keeps; the other six follow its first
    // paint, or the first input when that comes sooner. Either way every control is then there
    // with its default, in the place, state and tab order a window built whole has. Without the
    // room the pages took at the last start (the first start), every page is built at once.
    void pagesAfterFirstPaint_data()
    {
        QTest::addColumn<bool>("started");
        QTest::addColumn<bool>("keyFirst");
        QTest::newRow("after the first paint") << true << false;
        QTest::newRow("a key before it") << true << true;
        QTest::newRow("first start: all at once") << false << false;
    }
    void pagesAfterFirstPaint()
    {
        QFETCH(bool, started);
        QFETCH(bool, keyFirst);
        // The two windows compared show the same clock, however long their start takes.
        FixedClock clock(QDateTime(QDate(2026, 3, 8), QTime(1, 59, 59)));
        TestSettings::wipe();
        const DefaultInfo info{"Quill Network", "KQIL", "77"};
        info.saveDefaultInfo();
        auto whole = started ? std::make_unique<MainWindow>(info) : nullptr;
        ScriptedDialogs dialogs;
        StartUp startUp(false);
        startUp.start();
        MainWindow *window = startUp.mainWindow();
        if (!whole)
            whole = std::make_unique<MainWindow>(info);
        QCOMPARE(window->hasAllPages(), !started);
        QCOMPARE(window->findChild<QLineEdit *>("txtNetworkName")->text(), info.networkName);
        QCOMPARE(!window->findChild<QWidget *>("txtProgramName"), started);
        QCOMPARE(window->size(), whole->sizeHint());
        QSignalSpy built(window, &MainWindow::allPagesBuilt);
        if (keyFirst) {
            QTest::keyClick(window->findChild<QLineEdit *>("txtNetworkName"), Qt::Key_End);
            QCOMPARE(built.size(), 1);
        } else {
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QTRY_VERIFY(window->hasAllPages());
        }
        QCOMPARE(window->sizeHint(), whole->sizeHint());

        const auto describe = [](const QWidget *top) {
            QStringList lines;
            for (const QWidget *control : top->findChildren<QWidget *>()) {
                if (control->objectName().isEmpty() || control->window() != top)
                    continue;
                QString path;
                for (const QWidget *w = control; w != top; w = w->parentWidget())
                    path.prepend(w->objectName() + QLatin1Char('/'));
                const QVariant value = ChangeTracker::trackedValue(control);
                lines << QStringLiteral("%1 %2 enabled=%3 focus=%4 value=%5 name=%6")
                             .arg(path, QString::fromLatin1(control->metaObject()->className()))
                             .arg(control->isEnabled())
                             .arg(control->nextInFocusChain()->objectName(), value.toString(),
                                  QAccessible::queryAccessibleInterface(
                                      const_cast<QWidget *>(control))
                                      ->text(QAccessible::Name));
            }
            lines.sort();
            return lines;
        };
        QCOMPARE(describe(window), describe(whole.get()));
        QCOMPARE(window->tabMain()->currentIndex(), 0);
        QCOMPARE(window->tabMain()->count(), 7);
    }

    // The program's style draws what it takes over pixel for pixel as the style it wraps.
    void firstPaintStyleDrawsAsItsBase_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("checkable");
        QTest::addColumn<bool>("flat");
        QTest::newRow("titled group box") << "&Plant" << false << false;
        QTest::newRow("untitled group box") << "" << false << false;
        QTest::newRow("checkable group box") << "&Blocking" << true << false;
        QTest::newRow("flat group box") << "Flat" << false << true;
    }
    void firstPaintStyleDrawsAsItsBase()
    {
        QFETCH(QString, title);
        QFETCH(bool, checkable);
        QFETCH(bool, flat);
        FirstPaintStyle::install();
        const std::unique_ptr<QStyle> base(QStyleFactory::create(QStringLiteral("Fusion")));
        const auto draw = [&](QStyle *style) {
            QGroupBox box(title);
            box.setCheckable(checkable);
            box.setFlat(flat);
            if (style)
                box.setStyle(style);
            auto *layout = new QVBoxLayout(&box);
            layout->addWidget(new QLabel(QStringLiteral("Network Name")));
            box.resize(180, 90);
            return box.grab().toImage();
        };
        QCOMPARE(draw(nullptr), draw(base.get()));
    }

    // The menu bar's extension button has its icon, made when it is first drawn.
    void firstPaintStyleDefersTheExtensionIcon()
    {
        FirstPaintStyle::install();
        const std::unique_ptr<QStyle> base(QStyleFactory::create(QStringLiteral("Fusion")));
        QMainWindow window;
        const auto *extension =
            window.menuBar()->findChild<QToolButton *>(QStringLiteral("qt_menubar_ext_button"));
        QVERIFY(extension && !extension->icon().isNull());
        const QIcon expected = base->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
        QCOMPARE(extension->icon().pixmap(QSize(16, 16)).toImage(),
                 expected.pixmap(QSize(16, 16)).toImage());

        int made = 0;
        const QIcon deferred(new DeferredIconEngine([&] {
            ++made;
            return expected;
        }));
        QVERIFY(!deferred.isNull());
        QCOMPARE(made, 0);
        for (int i = 0; i < 2; ++i)
            QCOMPARE(deferred.pixmap(QSize(16, 16)).toImage(),
                     expected.pixmap(QSize(16, 16)).toImage());
        QCOMPARE(made, 1);
    }
};

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
