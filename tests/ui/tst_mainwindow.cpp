#include "FixedClock.h"
#include "ScriptedDialogs.h"
#include "TestSettings.h"

#include "common/AppSettings.h"
#include "config/frmDefaultInfo.h"
#include "link/CommInterface.h"
#include "link/Communications.h"
#include "link/EncoderSimulator.h"
#include "link/Sequencer.h"
#include "link/frmPortSettings.h"
#include "ui/RoboHelp.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"
#include "ui/frmMainWindow.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

const QString kExitQuestion = QStringLiteral("Are you sure you want to exit?");
const QString kIdentification = QStringLiteral("Connected to Orvane Simulated Encoder, Serial");

// The window after its start-up, as the program makes it, with the message boxes scripted.
struct Window
{
    ScriptedDialogs dialogs;
    frmMainWindow w{DefaultInfo{QStringLiteral("Quill Network"), QStringLiteral("KQIL"),
                                QStringLiteral("1234")}};

    Window() { w.offerLastFile(); }
    Sequencer *link() const { return w.sequencer(); }
    QString panel(int index) const { return w.textPanel(index)->text(); }
    bool squareShown(int index) const
    {
        return !w.findChild<QLabel *>(QStringLiteral("imgSquares_%1").arg(index))->isHidden();
    }
    QTimer *timer(const char *name) const { return w.findChild<QTimer *>(name); }
    bool connect()
    {
        QTest::mouseClick(w.cmdConnect(), Qt::LeftButton);
        return QTest::qWaitFor([this] { return link()->linkState() == 1; }, 3000);
    }
    bool showAndWait()
    {
        w.show();
        return QTest::qWaitForWindowExposed(&w);
    }
    template <typename T> T *find(const QString &name) const { return w.findChild<T *>(name); }
};

int twips(const QWidget *widget, int value)
{
    return qRound(value * widget->logicalDpiX() / 1440.0);
}

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

private slots:
    void initTestCase();
    void init();

    void clockLabelsFollowTheClock();
    void connectAndDisconnect();
    void connectRefusedKeepsTheCaption();
    void sendingStateLastsTwoSeconds();
    void timeOut_data();
    void timeOut();
    void keepAliveAfterFiveMinutes();
    void closeAsksFirst_data();
    void closeAsksFirst();
    void f1OpensTheTabTopic_data();
    void f1OpensTheTabTopic();
    void helpPagesExist_data();
    void helpPagesExist();
    void statusPanelsAndHeight();
    void portSettingsMenuShowsTheDialog();
    void assistiveTechnologyHearsFieldsAndPanels_data();
    void assistiveTechnologyHearsFieldsAndPanels();
    void fitsA1024By768Screen();
    void menusWorkFromTheKeyboard_data();
    void menusWorkFromTheKeyboard();
    void buttonsAndCaptionsHaveTheirOwnMnemonic_data();
    void buttonsAndCaptionsHaveTheirOwnMnemonic();
    void leaveCheckComesBeforeTheClick_data();
    void leaveCheckComesBeforeTheClick();
};

void tst_MainWindow::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("HOME", QFile::encodeName(m_home.path()));
    // No encoder hardware here: the built-in simulated encoder is the port.
    qputenv("QUILLCAST_SIMULATOR", "1");
    RoboHelp::HelpFilePath = QFINDTESTDATA("../../help/Quillcast.htm");
}

void tst_MainWindow::init()
{
    TestSettings::wipe();
}

void tst_MainWindow::clockLabelsFollowTheClock()
{
    FixedClock clock(QDateTime(QDate(2008, 4, 9), QTime(14, 5, 7)));
    Window window;
    auto *time = window.find<QLabel>(QStringLiteral("lblLocalTime_1"));
    auto *date = window.find<QLabel>(QStringLiteral("lblLocalDate_1"));

    window.w.timerSecondTick_Timer();
    QCOMPARE(time->text() + " " + date->text(), QStringLiteral("14:05:07 Apr 09, 2008"));
    clock.set(QDateTime(QDate(2011, 12, 31), QTime(23, 59, 59)));
    window.w.timerSecondTick_Timer();
    QCOMPARE(time->text() + " " + date->text(), QStringLiteral("23:59:59 Dec 31, 2011"));
}

void tst_MainWindow::connectAndDisconnect()
{
    Window window;
    QPushButton *connect = window.w.cmdConnect();
    for (int i = 0; i < 3; ++i)
        QCOMPARE(window.w.textPanel(i)->textFormat(), Qt::PlainText);
    QCOMPARE(window.panel(0), QStringLiteral(" Disconnected"));
    QVERIFY(window.squareShown(0) && !window.squareShown(1));
    QVERIFY(window.timer("timerSecondTick")->isActive());
    QCOMPARE(window.timer("timerSecondTick")->interval(), 1000);
    auto *refresh = window.find<QPushButton>(QStringLiteral("cmdRefreshArticles"));
    auto *list = window.find<QPlainTextEdit>(QStringLiteral("txtArticleList"));

    QTest::mouseClick(connect, Qt::LeftButton);
    QCOMPARE(connect->text(), QStringLiteral("&Connecting..."));
    QVERIFY(!connect->isEnabled());
    QTRY_COMPARE(connect->text(), QStringLiteral("Dis&connect"));
    QVERIFY(connect->isEnabled());
    QCOMPARE(window.w.cmdSendConfig()->text(), QStringLiteral("Send Confi&guration"));
    QCOMPARE(window.panel(0), QStringLiteral(" Connected"));
    QVERIFY(!window.squareShown(0) && window.squareShown(1));
    QCOMPARE(window.panel(2), kIdentification);
    window.w.timerSecondTick_Timer();
    QCOMPARE(window.panel(1), QStringLiteral("00:00:00"));
    window.w.timerSecondTick_Timer();
    QCOMPARE(window.panel(1), QStringLiteral("00:00:01"));
    list->setPlainText(QStringLiteral("NEWS T2 3"));

    QTest::mouseClick(connect, Qt::LeftButton);
    QCOMPARE(connect->text(), QStringLiteral("&Connect"));
    QCOMPARE(window.panel(0), QStringLiteral(" Disconnected"));
    QCOMPARE(window.panel(2), QString());
    QVERIFY(window.squareShown(0));
    window.w.timerSecondTick_Timer();
    QCOMPARE(window.panel(1), QString());
    // Of the article tab only the list is emptied.
    QCOMPARE(list->toPlainText(), QString());
    QVERIFY(refresh->isEnabled());
    QVERIFY(window.dialogs.shown.isEmpty());
}

void tst_MainWindow::connectRefusedKeepsTheCaption()
{
    AppSettings::save(QStringLiteral("COMSettings"), QStringLiteral("Baud"), QStringLiteral("x"));
    Window window;
    QCOMPARE(window.link()->CommIFace()->getCOMSettings().baud, 0);

    QTest::mouseClick(window.w.cmdConnect(), Qt::LeftButton);
    QCOMPARE(window.dialogs.shown.size(), 1); // the port could not be opened
    QCOMPARE(window.w.cmdConnect()->text(), QStringLiteral("&Connect"));
    QVERIFY(window.w.cmdConnect()->isEnabled());
}

void tst_MainWindow::sendingStateLastsTwoSeconds()
{
    Window window;
    QList<QPushButton *> buttons;
    for (const char *name : {"cmdRefreshArticles", "cmdInsArticle", "cmdRemoveArticle"})
        buttons << window.find<QPushButton>(name);
    auto *list = window.find<QPlainTextEdit>(QStringLiteral("txtArticleList"));
    auto *names = window.find<QComboBox>(QStringLiteral("cmbRemoveArticle"));
    QPushButton *send = window.w.cmdSendConfig();
    QVERIFY(window.connect());

    QTest::mouseClick(send, Qt::LeftButton);
    QCOMPARE(send->text(), QStringLiteral("Sendin&g..."));
    QVERIFY(!send->isEnabled());
    QVERIFY(!window.w.cmdConnect()->isEnabled());
    QCOMPARE(window.w.cmdConnect()->text(), QStringLiteral("Dis&connect"));
    for (QPushButton *button : buttons)
        QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
    QTimer *minimum = window.timer("timerSendConfigDisable");
    QVERIFY(minimum->isActive());
    QVERIFY(minimum->isSingleShot());
    QCOMPARE(minimum->interval(), 2000);
    // However slow the machine, the replies below come "within the two seconds".
    minimum->start(60000);

    // The whole configuration is answered well within the two seconds; the window waits.
    Sequencer *link = window.link();
    QTRY_VERIFY(link->CommandQueue().isEmpty() && !link->timerCommTimeout()->isActive());
    QVERIFY(minimum->isActive());
    QCOMPARE(send->text(), QStringLiteral("Sendin&g..."));
    // The configuration ends with the article-list request, whose reply fills the tab.
    QVERIFY(list->toPlainText().startsWith(QLatin1String("Article Directory")));
    QCOMPARE(names->count(), 0); // the fresh encoder stores no article

    link->timerSendConfigDisable_Timer();
    QCOMPARE(send->text(), QStringLiteral("Send Confi&guration"));
    QVERIFY(send->isEnabled());
    QVERIFY(window.w.cmdConnect()->isEnabled());
    for (QPushButton *button : buttons)
        QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));
    QVERIFY(window.dialogs.shown.isEmpty());
}

void tst_MainWindow::timeOut_data()
{
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<QString>("message");
    QTest::newRow("port open") << true
                               << "Quillcast could not connect to the Encoder.  Please check the "
                                  "cabling and that the COM Port settings match the Encoder "
                                  "Serial Port settings.";
    QTest::newRow("port closed") << false
                                 << "The connection could not be verified with the unit, and the "
                                    "port appears to be closed.  Please connect and try again.";
}

void tst_MainWindow::timeOut()
{
    QFETCH(bool, portOpen);
    QFETCH(QString, message);
    Window window;
    QVERIFY(window.connect());
    Sequencer *link = window.link();
    QSignalSpy states(link, &Sequencer::linkStateChanged);
    if (portOpen)
        link->CommIFace()->CommClass()->simulatedEncoder()->setSilent(true);
    else
        QTest::mouseClick(window.w.cmdConnect(), Qt::LeftButton);

    // A command the encoder never answers.
    link->AddCommand(QStringLiteral("P"), QStringLiteral("01 41"));
    link->StartTransaction();
    QTimer *timeout = window.timer("timerCommTimeout");
    QVERIFY(timeout->isActive());
    QCOMPARE(timeout->interval(), 3000);
    link->timerCommTimeout_Timer(); // three seconds of silence

    QCOMPARE(window.dialogs.texts(), QStringList{message});
    QCOMPARE(window.dialogs.shown.first().icon, DialogService::Icon::Critical);
    QCOMPARE(window.dialogs.shown.first().buttons, DialogService::Buttons::Ok);
    QVERIFY(!timeout->isActive());
    QVERIFY(!link->CommIFace()->PortIsOpen());
    QCOMPARE(window.panel(0), QStringLiteral(" Disconnected"));
    QCOMPARE(window.w.cmdConnect()->text(), QStringLiteral("&Connect"));
    QVERIFY(window.w.cmdConnect()->isEnabled());
    QCOMPARE(link->linkState(), 0);
    // With the port open the queue is dropped and the link set to state 0; with it closed, the
    // queue and the presentation are kept.
    QCOMPARE(link->CommandQueue().size(), portOpen ? 0 : 1);
    QCOMPARE(states.count(), 1);
}

void tst_MainWindow::keepAliveAfterFiveMinutes()
{
    Window window;
    QVERIFY(window.connect());
    QList<QByteArray> written;
    window.link()->CommIFace()->CommClass()->setWriteObserver(
        [&](const QByteArray &piece) { written << piece; });
    QTimer *timeout = window.timer("timerCommTimeout");
    window.w.textPanel(2)->clear();

    for (int second = 0; second < 300; ++second) // 00:00:00 to 00:04:59
        window.w.timerSecondTick_Timer();
    QCOMPARE(window.panel(1), QStringLiteral("00:04:59"));
    QVERIFY(written.isEmpty());
    QVERIFY(!timeout->isActive());

    window.w.timerSecondTick_Timer();
    QCOMPARE(window.panel(1), QStringLiteral("00:05:00"));
    QCOMPARE(written, QList<QByteArray>{CtrlACommand::readinessQuery()});
    QVERIFY(timeout->isActive());
    QCOMPARE(timeout->interval(), 3000);

    // The answer refreshes the identification and leaves the window connected.
    QTRY_VERIFY(!timeout->isActive());
    QCOMPARE(window.panel(2), kIdentification);
    QCOMPARE(window.panel(0), QStringLiteral(" Connected"));
    QCOMPARE(window.w.cmdConnect()->text(), QStringLiteral("Dis&connect"));

    window.w.timerSecondTick_Timer(); // 00:05:01: no second check
    QCOMPARE(written.size(), 1);
    QVERIFY(window.dialogs.shown.isEmpty());
}

void tst_MainWindow::closeAsksFirst_data()
{
    QTest::addColumn<bool>("fromMenu");
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes closes") << false << true;
    QTest::newRow("no stays") << false << false;
    QTest::newRow("File Exit, yes") << true << true;
    QTest::newRow("File Exit, no") << true << false;
}

void tst_MainWindow::closeAsksFirst()
{
    QFETCH(bool, fromMenu);
    QFETCH(bool, yes);
    Window window;
    window.dialogs.answers = {yes ? DialogService::Answer::Yes : DialogService::Answer::No};
    window.w.show();
    QVERIFY(window.connect());

    if (fromMenu)
        window.w.findChild<QAction *>(QStringLiteral("mnuExit"))->trigger();
    else
        QCOMPARE(window.w.close(), yes);
    QCOMPARE(window.dialogs.texts(), QStringList{kExitQuestion});
    QCOMPARE(window.dialogs.shown.first().buttons, DialogService::Buttons::YesNo);
    QCOMPARE(window.dialogs.shown.first().icon, DialogService::Icon::None);
    QCOMPARE(window.w.isVisible(), !yes);
    QCOMPARE(window.link()->CommIFace()->PortIsOpen(), !yes);
    // The settings are stored at close only.
    QCOMPARE(AppSettings::get(QStringLiteral("COMSettings"), QStringLiteral("Device")),
             yes ? QStringLiteral("Simulated encoder") : QString());
}

void tst_MainWindow::f1OpensTheTabTopic_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("page");
    const QStringList pages = {"Plant_Options.htm",   "V-Chip.htm",   "Caption_Channels.htm",
                               "Web_TV.htm",          "Articles.htm", "CC_Looping.htm",
                               "CGMS-A_Insertion.htm"};
    for (int tab = 0; tab < pages.size(); ++tab)
        QTest::newRow(qPrintable(pages.at(tab))) << tab << pages.at(tab);
}

void tst_MainWindow::f1OpensTheTabTopic()
{
    QFETCH(int, tab);
    QFETCH(QString, page);
    Window window;
    QVERIFY(window.showAndWait());
    // The tab's frame is enabled whenever the tab is chosen.
    QWidget *frame = window.find<QWidget>(QStringLiteral("fBorder_%1").arg(tab));
    frame->setEnabled(false);
    window.w.tabMain()->setCurrentIndex(tab == 0 ? 1 : 0);
    window.w.tabMain()->setCurrentIndex(tab);
    QVERIFY(frame->isEnabled());

    QTest::keyClick(&window.w, Qt::Key_F1);
    QVERIFY(RoboHelp::helpWindow()->isVisible());
    QCOMPARE(RoboHelp::helpWindow()->source().fileName(), page);
}

void tst_MainWindow::helpPagesExist_data()
{
    QTest::addColumn<QString>("page");
    for (int tab = 0; tab < 7; ++tab)
        QTest::newRow(qPrintable(frmMainWindow::TabHelpTopic(tab)))
            << frmMainWindow::TabHelpTopic(tab) + QStringLiteral(".htm");
    QTest::newRow("contents") << "Overview.htm";
    QTest::newRow("port settings") << "Port_Menu.htm";
    QTest::newRow("default information") << "Starting.htm";
}

void tst_MainWindow::helpPagesExist()
{
    QFETCH(QString, page);
    const QString start = QFINDTESTDATA("../../help/Quillcast.htm");
    QVERIFY(!start.isEmpty());
    QVERIFY2(QFileInfo::exists(QFileInfo(start).dir().filePath(page)), qPrintable(page));
    QFile file(start);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains(QStringLiteral("id=\"%1\"").arg(page).toLatin1()));
}

void tst_MainWindow::statusPanelsAndHeight()
{
    Window window;
    QVERIFY(window.showAndWait());
    window.w.resize(900, 300);

    QCOMPARE(window.w.statusPanel(0)->minimumWidth(), twips(&window.w, 1750));
    QCOMPARE(window.w.statusPanel(0)->maximumWidth(), twips(&window.w, 1750));
    QCOMPARE(window.w.statusPanel(1)->maximumWidth(), twips(&window.w, 800));
    QTRY_COMPARE(window.w.height(), window.w.sizeHint().height());
    QCOMPARE(window.w.minimumHeight(), window.w.maximumHeight());
    // Panel 3 takes the rest of the bar.
    QTRY_VERIFY(window.w.statusPanel(2)->width() > window.w.width() / 2);

    // Minimised, a resize leaves the panels alone.
    window.w.statusPanel(0)->setFixedWidth(10);
    window.w.setWindowState(Qt::WindowMinimized);
    QResizeEvent resize(QSize(700, 200), window.w.size());
    QApplication::sendEvent(&window.w, &resize);
    QCOMPARE(window.w.statusPanel(0)->width(), 10);
    QCOMPARE(window.w.statusPanel(0)->maximumWidth(), 10);
}

void tst_MainWindow::portSettingsMenuShowsTheDialog()
{
    Window window;
    QVERIFY(!window.w.portSettingsDialog());
    bool wasShown = false;
    QTimer::singleShot(0, &window.w, [&] {
        frmPortSettings *dialog = window.w.portSettingsDialog();
        wasShown = dialog && dialog->isVisible();
        if (dialog)
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("CancelButton")),
                              Qt::LeftButton);
    });
    window.w.findChild<QAction *>(QStringLiteral("mnuPortSettings"))->trigger();
    QVERIFY(wasShown);
    QVERIFY(!window.w.portSettingsDialog()->isVisible());
    QCOMPARE(window.w.portSettingsDialog()->cmbCOMPort()->currentText(),
             QStringLiteral("COM %1 (Simulated encoder)")
                 .arg(window.link()->CommIFace()->getCOMSettings().port));
}

void tst_MainWindow::leaveCheckComesBeforeTheClick_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("target"); // "tab 0" or a button's name
    // A press whose release the question's box takes, as a real modal box does.
    QTest::newRow("another tab, Yes: tab and focus stay") << 1 << "ProgramName"
                                                          << "A" << true << "tab 0";
    QTest::newRow("another tab, No: the tab changes") << 1 << "ProgramName"
                                                      << "A" << false << "tab 0";
    QTest::newRow("Connect, No: Connect runs") << 0 << "TSID"
                                               << "0" << false << "cmdConnect";
    QTest::newRow("Connect, Yes: focus stays") << 0 << "TSID"
                                               << "0" << true << "cmdConnect";
}

void tst_MainWindow::leaveCheckComesBeforeTheClick()
{
    QFETCH(int, tab);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, yes);
    QFETCH(QString, target);
    Window window;
    QVERIFY(window.showAndWait());
    window.w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window.w));
    auto *tabs = window.find<QTabWidget>("tabMain");
    tabs->setCurrentIndex(tab);
    window.find<QAbstractButton>("chCtrl" + field)->setChecked(true);
    window.find<QAbstractButton>("o" + field + "_0")->setChecked(true);
    auto *box = window.find<QLineEdit>("txt" + field);
    box->setText(text);
    box->setFocus();
    QVERIFY(box->hasFocus());
    window.dialogs.answers = {yes ? DialogService::Answer::Yes : DialogService::Answer::No};

    // Pressed through the window, as the window system delivers it.
    QWidget *pressed = tabs->tabBar();
    QPoint at = tabs->tabBar()->tabRect(0).center();
    if (target != "tab 0") {
        pressed = window.find<QPushButton>(target);
        at = pressed->rect().center();
    }
    QTest::mousePress(window.w.windowHandle(), Qt::LeftButton, {}, pressed->mapTo(&window.w, at));
    QCOMPARE(window.dialogs.texts().size(), 1);
    QVERIFY(window.dialogs.texts().first().contains("to be inserted"));
    if (target == "tab 0")
        QCOMPARE(tabs->currentIndex(), yes ? tab : 0);
    else
        QCOMPARE(window.link()->CommIFace()->PortIsOpen(), !yes);
    if (yes) {
        QTRY_VERIFY(box->hasFocus());
        QCOMPARE(tabs->currentIndex(), tab);
    } else {
        QVERIFY(window.find<QAbstractButton>("o" + field + "_2")->isChecked());
    }
}

void tst_MainWindow::assistiveTechnologyHearsFieldsAndPanels_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::newRow("link state") << "statBarMain_0"
                                << " Connected"
                                << "Link state";
    QTest::newRow("encoder") << "statBarMain_2" << kIdentification << "Encoder";
    QTest::newRow("enable network name") << "chCtrlNetworkName"
                                         << "Enable Control, Network Name"
                                         << "";
    QTest::newRow("block call letters") << "oCallLetters_1"
                                        << "Block Upstream, Call Letters"
                                        << "";
    QTest::newRow("insert time of day") << "oTimeOfDay_0"
                                        << "Insert, Time of Day Packet"
                                        << "";
    QTest::newRow("insert time zone") << "oTimezone_0"
                                      << "Insert, Timezone Packet"
                                      << "";
    QTest::newRow("pass program name") << "oProgramName_2"
                                       << "Pass Upstream, Program Name"
                                       << "";
    QTest::newRow("enable rating") << "chCtrlProgramRating"
                                   << "Enable Control, Program Rating"
                                   << "";
    QTest::newRow("pass Web TV") << "oWebTV_1"
                                 << "Pass Upstream, Web TV Link"
                                 << "";
    QTest::newRow("enable CGMS") << "chCtrlCGMS"
                                 << "Enable Control, CGMS-A Packet"
                                 << "";
}

void tst_MainWindow::assistiveTechnologyHearsFieldsAndPanels()
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, description);
    Window window;
    QVERIFY(window.connect());
    QAccessibleInterface *heard =
        QAccessible::queryAccessibleInterface(window.find<QWidget>(control));
    QVERIFY(heard);
    QCOMPARE(heard->text(QAccessible::Name), name);
    if (!description.isEmpty())
        QCOMPARE(heard->text(QAccessible::Description), description);
}

void tst_MainWindow::fitsA1024By768Screen()
{
    Window window;
    QVERIFY(window.showAndWait());
    // Room left for the window frame, the title bar and a task bar.
    QVERIFY2(window.w.minimumSizeHint().width() <= 1024 - 16,
             qPrintable(QString::number(window.w.minimumSizeHint().width())));
    QVERIFY2(window.w.minimumHeight() <= 768 - 80,
             qPrintable(QString::number(window.w.minimumHeight())));
}

void tst_MainWindow::menusWorkFromTheKeyboard_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("accelerators"); // the shortcut, or else the mnemonic
    QTest::newRow("File") << "mnuFile"
                          << QStringList{"Ctrl+N", "Ctrl+O", "Ctrl+S", "Alt+A", "Ctrl+Q"};
    QTest::newRow("Setup") << "mnuSetup" << QStringList{"Alt+P"};
    QTest::newRow("Help") << "mnuHelp" << QStringList{"F1", "Alt+C", "Alt+A"};
}

// Every entry has its own mnemonic; the shortcuts are shown beside their entries.
void tst_MainWindow::menusWorkFromTheKeyboard()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, accelerators);
    Window window;
    QAccessibleInterface *heard = QAccessible::queryAccessibleInterface(window.find<QMenu>(menu));
    QVERIFY(heard);
    QStringList mnemonics;
    QStringList shown;
    for (int i = 0; i < heard->childCount(); ++i) {
        QAccessibleInterface *entry = heard->child(i);
        if (entry->role() == QAccessible::Separator)
            continue;
        const QAction *action = window.find<QMenu>(menu)->actions().at(i);
        const QString mnemonic = QKeySequence::mnemonic(action->text()).toString();
        QVERIFY2(!mnemonic.isEmpty(), qPrintable(entry->text(QAccessible::Name)));
        QVERIFY2(!mnemonics.contains(mnemonic), qPrintable(mnemonic));
        mnemonics << mnemonic;
        shown << entry->text(QAccessible::Accelerator);
    }
    QCOMPARE(shown, accelerators);
}

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
    Window window;
    std::unique_ptr<QWidget> dialog;
    if (box == QLatin1String("frmPortSettings"))
        dialog.reset(new frmPortSettings(window.link(), &window.w));
    else if (box == QLatin1String("frmDefaultInfo"))
        dialog.reset(new frmDefaultInfo);
    else if (box == QLatin1String("frmAbout"))
        dialog.reset(new frmAbout(&window.w));
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
        for (QAction *menu : window.w.menuBar()->actions())
            taken << QKeySequence::mnemonic(menu->text()).toString();
        buttons << window.w.cmdConnect() << window.w.cmdSendConfig();
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
