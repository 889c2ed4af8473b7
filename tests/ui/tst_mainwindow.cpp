#include "FixedClock.h"
#include "TabsWindow.h"

#include "common/AppSettings.h"
#include "config/frmDefaultInfo.h"
#include "link/CommInterface.h"
#include "link/Communications.h"
#include "link/EncoderSimulator.h"
#include "link/frmPortSettings.h"
#include "ui/RoboHelp.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <memory>

namespace {

const QString Identification = QStringLiteral("Connected to Orvane Simulated Encoder, Serial");

} // namespace

// The window's own rules: clock labels, the link presentation, the sending state, time-outs,
// the keep-alive, closing and help.
class tst_MainWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

private slots:
    void initTestCase()
    {
        // The default data folder is made under the home folder: keep it out of the real one.
        qputenv("HOME", QFile::encodeName(m_home.path()));
        RoboHelp::HelpFilePath = QFINDTESTDATA("../../help/Quillcast.htm");
    }

    void clockLabelsFollowTheClock()
    {
        FixedClock clock(QDateTime(QDate(2008, 4, 9), QTime(14, 5, 7)));
        TabsWindow w;
        w.top.timerSecondTick_Timer();
        QCOMPARE(w.find<QLabel>("lblLocalTime_1")->text() + " " +
                     w.find<QLabel>("lblLocalDate_1")->text(),
                 QStringLiteral("14:05:07 Apr 09, 2008"));
    }

    void connectAndDisconnect()
    {
        TabsWindow w;
        QPushButton *connect = w.top.cmdConnect();
        QCOMPARE(w.panel(0), QStringLiteral(" Disconnected"));
        QCOMPARE(w.top.textPanel(2)->textFormat(), Qt::PlainText);
        QTest::mouseClick(connect, Qt::LeftButton);
        QCOMPARE(connect->text(), QStringLiteral("&Connecting..."));
        QVERIFY(!connect->isEnabled());
        QTRY_COMPARE(connect->text(), QStringLiteral("Dis&connect"));
        QVERIFY(connect->isEnabled());
        QCOMPARE(w.panel(0), QStringLiteral(" Connected"));
        QCOMPARE(w.panel(2), Identification);
        w.top.timerSecondTick_Timer();
        w.top.timerSecondTick_Timer();
        QCOMPARE(w.panel(1), QStringLiteral("00:00:01"));
        w.set("txtArticleList", "NEWS T2 3");

        QTest::mouseClick(connect, Qt::LeftButton);
        QCOMPARE(connect->text(), QStringLiteral("&Connect"));
        QCOMPARE(w.panel(0), QStringLiteral(" Disconnected"));
        QCOMPARE(w.panel(2), QString());
        w.top.timerSecondTick_Timer();
        QCOMPARE(w.panel(1), QString());
        QCOMPARE(w.find<QPlainTextEdit>("txtArticleList")->toPlainText(), QString());
        QVERIFY(w.dialogs.shown.isEmpty());
    }

    void connectRefusedKeepsTheCaption()
    {
        TabsWindow w;
        w.link()->CommIFace()->setCOMSettings(COMSettings()); // no port can open with these
        QTest::mouseClick(w.top.cmdConnect(), Qt::LeftButton);
        QCOMPARE(w.dialogs.shown.size(), 1);
        QCOMPARE(w.top.cmdConnect()->text(), QStringLiteral("&Connect"));
        QVERIFY(w.top.cmdConnect()->isEnabled());
    }

    void sendingStateLastsTwoSeconds()
    {
        TabsWindow w;
        const QStringList buttons = {"cmdRefreshArticles", "cmdInsArticle", "cmdRemoveArticle",
                                     "cmdConnect", "cmdSendConfig"};
        QPushButton *send = w.top.cmdSendConfig();
        QVERIFY(w.connect());
        QTest::mouseClick(send, Qt::LeftButton);
        QCOMPARE(send->text(), QStringLiteral("Sendin&g..."));
        QCOMPARE(w.enabledOf(buttons), QStringList());
        QTimer *minimum = w.link()->timerSendConfigDisable();
        QCOMPARE(minimum->interval(), 2000);
        QVERIFY(minimum->isSingleShot());
        minimum->start(60000); // however slow the machine, the replies come "within" it

        Sequencer *link = w.link();
        QTRY_VERIFY(link->CommandQueue().isEmpty() && !link->timerCommTimeout()->isActive());
        QCOMPARE(send->text(), QStringLiteral("Sendin&g..."));
        // The configuration ends with the article-list request, whose reply fills the tab.
        QVERIFY(w.find<QPlainTextEdit>("txtArticleList")->toPlainText().startsWith("Article"));
        link->timerSendConfigDisable_Timer();
        QCOMPARE(send->text(), QStringLiteral("Send Confi&guration"));
        QCOMPARE(w.enabledOf(buttons), buttons);
        QVERIFY(w.dialogs.shown.isEmpty());
    }

    void timeOut_data()
    {
        QTest::addColumn<bool>("portOpen");
        QTest::addColumn<QString>("message");
        QTest::newRow("port open") << true
                                   << "Quillcast could not connect to the Encoder.  Please check "
                                      "the cabling and that the COM Port settings match the "
                                      "Encoder Serial Port settings.";
        QTest::newRow("port closed") << false
                                     << "The connection could not be verified with the unit, and "
                                        "the port appears to be closed.  Please connect and try "
                                        "again.";
    }
    // With the port open the queue is dropped; with it closed, the queue is kept.
    void timeOut()
    {
        QFETCH(bool, portOpen);
        QFETCH(QString, message);
        TabsWindow w;
        QVERIFY(w.connect());
        Sequencer *link = w.link();
        QSignalSpy states(link, &Sequencer::linkStateChanged);
        if (portOpen)
            link->CommIFace()->CommClass()->simulatedEncoder()->setSilent(true);
        else
            QTest::mouseClick(w.top.cmdConnect(), Qt::LeftButton);
        link->AddCommand(QStringLiteral("P"), QStringLiteral("01 41"));
        link->StartTransaction();
        QCOMPARE(link->timerCommTimeout()->interval(), 3000);
        link->timerCommTimeout_Timer(); // three seconds of silence

        QCOMPARE(w.dialogs.texts(), QStringList{message});
        QCOMPARE(w.dialogs.shown.first().icon, DialogService::Icon::Critical);
        QVERIFY(!link->timerCommTimeout()->isActive());
        QVERIFY(!link->CommIFace()->PortIsOpen());
        QCOMPARE(w.panel(0), QStringLiteral(" Disconnected"));
        QCOMPARE(w.top.cmdConnect()->text(), QStringLiteral("&Connect"));
        QCOMPARE(link->linkState(), 0);
        QCOMPARE(link->CommandQueue().size(), portOpen ? 0 : 1);
        QCOMPARE(states.count(), 1);
    }

    void keepAliveAfterFiveMinutes()
    {
        TabsWindow w;
        QVERIFY(w.connect());
        QList<QByteArray> written;
        w.link()->CommIFace()->CommClass()->setWriteObserver(
            [&](const QByteArray &piece) { written << piece; });
        w.top.textPanel(2)->clear();
        for (int second = 0; second < 300; ++second) // 00:00:00 to 00:04:59
            w.top.timerSecondTick_Timer();
        QVERIFY(written.isEmpty());
        w.top.timerSecondTick_Timer();
        QCOMPARE(w.panel(1), QStringLiteral("00:05:00"));
        QCOMPARE(written, QList<QByteArray>{CtrlACommand::readinessQuery()});
        QCOMPARE(w.link()->timerCommTimeout()->interval(), 3000);
        // The answer refreshes the identification and leaves the window connected.
        QTRY_COMPARE(w.panel(2), Identification);
        QCOMPARE(w.panel(0), QStringLiteral(" Connected"));
        w.top.timerSecondTick_Timer();
        QCOMPARE(written.size(), 1);
    }

    void closeAsksFirst_data()
    {
        QTest::addColumn<bool>("fromMenu");
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes closes") << false << true;
        QTest::newRow("no stays") << false << false;
        QTest::newRow("File Exit, yes") << true << true;
        QTest::newRow("File Exit, no") << true << false;
    }
    // The settings are stored at close only.
    void closeAsksFirst()
    {
        QFETCH(bool, fromMenu);
        QFETCH(bool, yes);
        TabsWindow w;
        w.dialogs.answers = {yes ? DialogService::Answer::Yes : DialogService::Answer::No};
        w.top.show();
        QVERIFY(w.connect());
        if (fromMenu)
            w.find<QAction>("mnuExit")->trigger();
        else
            QCOMPARE(w.top.close(), yes);
        QCOMPARE(w.dialogs.texts(), QStringList{"Are you sure you want to exit?"});
        QCOMPARE(w.dialogs.shown.first().buttons, DialogService::Buttons::YesNo);
        QCOMPARE(w.top.isVisible(), !yes);
        QCOMPARE(w.link()->CommIFace()->PortIsOpen(), !yes);
        QCOMPARE(AppSettings::get("COMSettings", "Device"),
                 yes ? QStringLiteral("Simulated encoder") : QString());
    }

    // F1 on each tab and dialog, and Help > Contents, open their page in the help window.
    void helpPages_data()
    {
        QTest::addColumn<QString>("place"); // a tab's index, "contents", "port" or "defaults"
        QTest::addColumn<QString>("page");
        const QStringList pages = {"Plant_Options", "V-Chip",     "Caption_Channels", "Web_TV",
                                   "Articles",      "CC_Looping", "CGMS-A_Insertion"};
        for (int tab = 0; tab < pages.size(); ++tab)
            QTest::newRow(qPrintable(pages.at(tab)))
                << QString::number(tab) << pages.at(tab) + ".htm";
        QTest::newRow("Help > Contents") << "contents"
                                         << "Overview.htm";
        QTest::newRow("port settings F1") << "port"
                                          << "Port_Menu.htm";
        QTest::newRow("default information F1") << "defaults"
                                                << "Starting.htm";
    }
    void helpPages()
    {
        QFETCH(QString, place);
        QFETCH(QString, page);
        TabsWindow w;
        QVERIFY(place == "defaults" || w.show()); // the dialog shows before the window
        if (RoboHelp::helpWindow())
            RoboHelp::helpWindow()->close();
        // A help window opened over a modal dialog belongs to it: the dialog stays to the end.
        std::unique_ptr<QDialog> dialog;
        if (place == "contents") {
            w.find<QAction>("mnuHelpContents")->trigger();
        } else if (place == "port") {
            auto *port = new frmPortSettings(w.link(), &w.top);
            dialog.reset(port);
            port->show();
            QTest::keyClick(port->cmbBaud(), Qt::Key_F1);
        } else if (place == "defaults") {
            dialog = std::make_unique<frmDefaultInfo>();
            dialog->show();
            QTest::keyClick(dialog->findChild<QLineEdit *>("txtCallLetters"), Qt::Key_F1);
        } else {
            w.tabs->setCurrentIndex(place.toInt());
            QTest::keyClick(&w.top, Qt::Key_F1);
        }
        QVERIFY(RoboHelp::helpWindow()->isVisible());
        QCOMPARE(RoboHelp::helpWindow()->source().fileName(), page);
        QVERIFY(!RoboHelp::helpWindow()->browser()->documentTitle().isEmpty()); // the page exists
        QVERIFY(w.dialogs.openedUrls.isEmpty());
    }

    // The About box: its texts, one supported model per line, shown again by the next About.
    void aboutBox()
    {
        TabsWindow w;
        w.top.show();
        w.find<QAction>("mnuAbout")->trigger();
        auto *box = w.find<frmAbout>("frmAbout");
        QVERIFY(box->isVisible());
        QCOMPARE(box->windowModality(), Qt::WindowModal);
        const auto texts = [box] {
            QStringList shown = {box->windowTitle()};
            for (const char *label : {"lblTitle", "lblVersion", "lblDescription", "lblSupport"})
                shown << box->findChild<QLabel *>(label)->text();
            return shown;
        };
        const QStringList expected = {
            "About Orvane Quillcast", "Orvane Quillcast", "Version 1.0.4",
            "This application provides a seamless graphical interface for the terminal-based "
            "commands used to program and configure Orvane Closed Caption Encoders.",
            "Supported Orvane Encoders:"};
        QCOMPARE(texts(), expected);
        const QStringList models =
            box->findChild<QLabel *>("lblSupportedHardware")->text().split("\r\n");
        QVERIFY(models.size() > 1 && !models.contains(QString()));
        QTest::mouseClick(box->findChild<QPushButton *>("cmdOk"), Qt::LeftButton);
        QVERIFY(!box->isVisible());
        w.find<QAction>("mnuAbout")->trigger();
        QCOMPARE(w.top.findChildren<frmAbout *>().size(), 1);
        QVERIFY(box->isVisible());
        QCOMPARE(texts(), expected);
        QVERIFY(w.dialogs.shown.isEmpty());
    }

    void leaveCheckComesBeforeTheClick_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("target"); // "tab 0" or a button's name
        // A press whose release the question's box takes, as a real modal box does.
        const auto row = [](const char *name, int tab, const char *field, const char *text,
                            bool yes, const char *target) {
            QTest::newRow(name) << tab << QString(field) << QString(text) << yes << QString(target);
        };
        row("another tab, Yes: tab and focus stay", 1, "ProgramName", "A", true, "tab 0");
        row("another tab, No: the tab changes", 1, "ProgramName", "A", false, "tab 0");
        row("Connect, No: Connect runs", 0, "TSID", "0", false, "cmdConnect");
        row("Connect, Yes: focus stays", 0, "TSID", "0", true, "cmdConnect");
    }

    void leaveCheckComesBeforeTheClick()
    {
        QFETCH(int, tab);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(bool, yes);
        QFETCH(QString, target);
        TabsWindow w;
        QVERIFY(w.show());
        w.top.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.top));
        auto *tabs = w.find<QTabWidget>("tabMain");
        tabs->setCurrentIndex(tab);
        w.find<QAbstractButton>("chCtrl" + field)->setChecked(true);
        w.find<QAbstractButton>("o" + field + "_0")->setChecked(true);
        auto *box = w.find<QLineEdit>("txt" + field);
        box->setText(text);
        box->setFocus();
        QVERIFY(box->hasFocus());
        w.dialogs.answers = {yes ? DialogService::Answer::Yes : DialogService::Answer::No};

        // Pressed through the window, as the window system delivers it.
        QWidget *pressed = tabs->tabBar();
        QPoint at = tabs->tabBar()->tabRect(0).center();
        if (target != "tab 0") {
            pressed = w.find<QPushButton>(target);
            at = pressed->rect().center();
        }
        QTest::mousePress(w.top.windowHandle(), Qt::LeftButton, {}, pressed->mapTo(&w.top, at));
        QCOMPARE(w.dialogs.texts().size(), 1);
        QVERIFY(w.dialogs.texts().first().contains("to be inserted"));
        if (target == "tab 0")
            QCOMPARE(tabs->currentIndex(), yes ? tab : 0);
        else
            QCOMPARE(w.link()->CommIFace()->PortIsOpen(), !yes);
        if (yes) {
            QTRY_VERIFY(box->hasFocus());
            QCOMPARE(tabs->currentIndex(), tab);
        } else {
            QVERIFY(w.find<QAbstractButton>("o" + field + "_2")->isChecked());
        }
    }

    // Status panels announce what they show; packet controls are announced with their field.
    void assistiveTechnologyHearsFieldsAndPanels()
    {
        TabsWindow w;
        QVERIFY(w.connect());
        const QList<QStringList> heard = {{"statBarMain_0", " Connected", "Link state"},
                                          {"statBarMain_2", Identification, "Encoder"},
                                          {"chCtrlNetworkName", "Enable Control, Network Name"},
                                          {"oCallLetters_1", "Block Upstream, Call Letters"},
                                          {"oTimeOfDay_0", "Insert, Time of Day Packet"},
                                          {"oTimezone_0", "Insert, Timezone Packet"},
                                          {"oProgramName_2", "Pass Upstream, Program Name"},
                                          {"chCtrlProgramRating", "Enable Control, Program Rating"},
                                          {"oWebTV_1", "Pass Upstream, Web TV Link"},
                                          {"chCtrlCGMS", "Enable Control, CGMS-A Packet"}};
        for (const QStringList &control : heard) {
            QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w.find(control[0]));
            QCOMPARE(a->text(QAccessible::Name), control[1]);
            if (control.size() > 2)
                QCOMPARE(a->text(QAccessible::Description), control[2]);
        }
    }

    void fitsA1024By768Screen()
    {
        TabsWindow w;
        QVERIFY(w.show());
        // Room left for the window frame, the title bar and a task bar.
        QVERIFY2(w.top.minimumSizeHint().width() <= 1024 - 16,
                 qPrintable(QString::number(w.top.minimumSizeHint().width())));
        QVERIFY2(w.top.minimumHeight() <= 768 - 80,
                 qPrintable(QString::number(w.top.minimumHeight())));
    }

    void menusWorkFromTheKeyboard_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("accelerators"); // the shortcut, or else the mnemonic
        QTest::newRow("File") << "mnuFile"
                              << QStringList{"Ctrl+N", "Ctrl+O", "Ctrl+S", "Alt+A", "Ctrl+Q"};
        QTest::newRow("Setup") << "mnuSetup" << QStringList{"Alt+P"};
        QTest::newRow("Help") << "mnuHelp" << QStringList{"F1", "Alt+C", "Alt+A"};
    }

    void menusWorkFromTheKeyboard()
    {
        QFETCH(QString, menu);
        QFETCH(QStringList, accelerators);
        TabsWindow w;
        QAccessibleInterface *heard = QAccessible::queryAccessibleInterface(w.find<QMenu>(menu));
        QVERIFY(heard);
        QStringList mnemonics;
        QStringList shown;
        for (int i = 0; i < heard->childCount(); ++i) {
            QAccessibleInterface *entry = heard->child(i);
            if (entry->role() == QAccessible::Separator)
                continue;
            const QAction *action = w.find<QMenu>(menu)->actions().at(i);
            const QString mnemonic = QKeySequence::mnemonic(action->text()).toString();
            QVERIFY2(!mnemonic.isEmpty(), qPrintable(entry->text(QAccessible::Name)));
            QVERIFY2(!mnemonics.contains(mnemonic), qPrintable(mnemonic));
            mnemonics << mnemonic;
            shown << entry->text(QAccessible::Accelerator);
        }
        QCOMPARE(shown, accelerators);
    }
    void buttonsAndCaptionsHaveTheirOwnMnemonic_data();
    void buttonsAndCaptionsHaveTheirOwnMnemonic();
};

void tst_MainWindow::buttonsAndCaptionsHaveTheirOwnMnemonic_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("tab");
    for (int tab = 0; tab < 7; ++tab)
        QTest::addRow("tab %d with the link buttons", tab) << QString() << tab;
    QTest::newRow("Port Settings") << "frmPortSettings" << -1;
    QTest::newRow("default information") << "frmDefaultInfo" << -1;
    QTest::newRow("About") << "frmAbout" << -1;
}

// Every visible button, and every box through its caption, is announced with an Alt+letter
// that no other control of its page (nor a menu title) has. The members of an option group or
// channel list are reached through their field and the arrow keys, so they need none.
void tst_MainWindow::buttonsAndCaptionsHaveTheirOwnMnemonic()
{
    QFETCH(QString, box);
    QFETCH(int, tab);
    TabsWindow window;
    std::unique_ptr<QWidget> dialog;
    if (box == QLatin1String("frmPortSettings"))
        dialog.reset(new frmPortSettings(window.link(), &window.top));
    else if (box == QLatin1String("frmDefaultInfo"))
        dialog.reset(new frmDefaultInfo);
    else if (box == QLatin1String("frmAbout"))
        dialog.reset(new frmAbout(&window.top));
    QWidget *page = dialog.get();
    if (!dialog) {
        auto *tabs = window.find<QTabWidget>(QStringLiteral("tabMain"));
        tabs->setCurrentIndex(tab);
        page = tabs->widget(tab);
    }
    QWidget *root = page->window();
    root->show();
    root->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(root));

    // The key a control answers to: a button's own, a box's that of its caption; the name it is
    // announced with is the caption without the marker.
    QStringList taken;
    const auto claim = [&taken](QWidget *control, const QString &key) {
        const QString name =
            QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
        QVERIFY2(key.startsWith(QLatin1String("Alt+")), qPrintable(control->objectName()));
        QVERIFY2(!taken.contains(key), qPrintable(key + QLatin1Char(' ') + name));
        QVERIFY2(!name.isEmpty() && !name.contains(QLatin1Char('&')), qPrintable(name));
        taken << key;
    };
    const QRegularExpression arrayMember(QStringLiteral("_\\d+$"));
    const auto inList = [&arrayMember](QWidget *control) {
        auto *button = qobject_cast<QAbstractButton *>(control);
        return button && button->isCheckable() &&
               arrayMember.match(button->objectName()).hasMatch();
    };
    QList<QAbstractButton *> buttons = page->findChildren<QAbstractButton *>();
    if (!dialog) {
        for (QAction *menu : window.top.menuBar()->actions())
            taken << QKeySequence::mnemonic(menu->text()).toString();
        buttons << window.top.cmdConnect() << window.top.cmdSendConfig();
    }
    for (QAbstractButton *button : buttons) {
        if (button->isVisible() && !inList(button))
            claim(button, QKeySequence::mnemonic(button->text()).toString());
    }
    for (QLabel *label : page->findChildren<QLabel *>()) {
        // A value shown beside its caption takes no keyboard focus; the caption over a list
        // (the rating flags) may go without a letter.
        QWidget *buddy = label->buddy();
        const QString key = QKeySequence::mnemonic(label->text()).toString();
        if (label->isVisible() && buddy && (buddy->focusPolicy() & Qt::TabFocus) &&
            !(key.isEmpty() && inList(buddy)))
            claim(buddy, key);
    }
    if (tab != 0 || QTest::currentTestFailed())
        return;

    // Alt+C connects and, the letter kept through the caption's change, disconnects.
    QTest::keyClick(root, Qt::Key_C, Qt::AltModifier);
    QTRY_COMPARE(window.link()->linkState(), 1);
    QTest::keyClick(root, Qt::Key_C, Qt::AltModifier);
    QTRY_COMPARE(window.link()->linkState(), 0);
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
