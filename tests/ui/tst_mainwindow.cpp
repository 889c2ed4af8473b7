#include "FixedClock.h"
#include "ScriptedDialogs.h"
#include "TestSettings.h"

#include "common/AppSettings.h"
#include "link/CommInterface.h"
#include "link/Communications.h"
#include "link/EncoderSimulator.h"
#include "link/Sequencer.h"
#include "link/frmPortSettings.h"
#include "ui/frmMainWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString kExitQuestion = QStringLiteral("Are you sure you want to exit?");

DefaultInfo plantDefaults()
{
    return DefaultInfo{QStringLiteral("Quill Network"), QStringLiteral("KQIL"),
                       QStringLiteral("1234")};
}

// The named control, made on the given tab when the tab does not provide it (yet).
template <typename T> T *control(frmMainWindow &window, const QString &name, int tab)
{
    if (T *existing = window.findChild<T *>(name))
        return existing;
    T *made = new T(window.tabMain()->widget(tab));
    made->setObjectName(name);
    return made;
}

QString boxText(QWidget *box)
{
    if (auto *plain = qobject_cast<QPlainTextEdit *>(box))
        return plain->toPlainText();
    return box->property("text").toString();
}

QList<QAction *> entries(QMenu *menu)
{
    return menu->actions();
}

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

    void composition();
    void menus_data();
    void menus();
    void clockLabelsFollowTheClock();
    void connectAndDisconnect();
    void connectRefusedKeepsTheCaption();
    void sendingStateLastsTwoSeconds();
    void disconnectedEmptiesArticleListOnly();
    void timeOut_data();
    void timeOut();
    void keepAliveAfterFiveMinutes();
    void closeAsksFirst_data();
    void closeAsksFirst();
    void exitMenuCloses();
    void f1OpensTheTabTopic_data();
    void f1OpensTheTabTopic();
    void helpContentsAndAbout();
    void helpPagesExist_data();
    void helpPagesExist();
    void tabChangeEnablesItsFrame();
    void statusPanelsAndHeight();
    void minimisedChangesNothing();
    void portSettingsMenuShowsTheDialog();
};

void tst_MainWindow::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("HOME", QFile::encodeName(m_home.path()));
    // No encoder hardware here: the built-in simulated encoder is the port.
    qputenv("QUILLCAST_SIMULATOR", "1");
}

void tst_MainWindow::init()
{
    TestSettings::wipe();
}

void tst_MainWindow::composition()
{
    ScriptedDialogs dialogs;
    frmMainWindow window(plantDefaults());
    window.offerLastFile(); // the end of the start-up, as the program does it
    QCOMPARE(window.windowTitle(), QStringLiteral("Orvane Quillcast"));

    auto *connect = window.findChild<QPushButton *>(QStringLiteral("cmdConnect"));
    auto *send = window.findChild<QPushButton *>(QStringLiteral("cmdSendConfig"));
    QVERIFY(connect && send);
    QCOMPARE(connect->text(), QStringLiteral("Connect"));
    QCOMPARE(send->text(), QStringLiteral("Send Configuration"));

    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabMain"));
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 7);
    for (int i = 0; i < 7; ++i)
        QVERIFY(window.findChild<QWidget *>(QStringLiteral("fBorder_%1").arg(i)));

    QVERIFY(window.findChild<QStatusBar *>(QStringLiteral("statBarMain")));
    for (int i = 0; i < 3; ++i) {
        auto *panel = window.findChild<QLabel *>(QStringLiteral("statBarMain_%1").arg(i));
        QVERIFY(panel);
        QCOMPARE(panel->textFormat(), Qt::PlainText);
    }
    QCOMPARE(window.textPanel(0)->text(), QStringLiteral(" Disconnected"));
    QVERIFY(!window.findChild<QLabel *>(QStringLiteral("imgSquares_0"))->isHidden());
    QVERIFY(window.findChild<QLabel *>(QStringLiteral("imgSquares_1"))->isHidden());

    auto *tick = window.findChild<QTimer *>(QStringLiteral("timerSecondTick"));
    QVERIFY(tick);
    QVERIFY(tick->isActive());
    QCOMPARE(tick->interval(), 1000);
    auto *timeout = window.findChild<QTimer *>(QStringLiteral("timerCommTimeout"));
    auto *minimum = window.findChild<QTimer *>(QStringLiteral("timerSendConfigDisable"));
    QVERIFY(timeout && minimum);
    QVERIFY(!timeout->isActive());
    QVERIFY(!minimum->isActive());

    if (auto *zone = window.findChild<QLabel *>(QStringLiteral("lblLocalTimezone_1")))
        QCOMPARE(zone->text(), window.snapshot().SignedOffsetText);
    QVERIFY(dialogs.shown.isEmpty());
}

void tst_MainWindow::menus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("names"); // "-" for a separator
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("File") << "mnuFile"
                          << "&File"
                          << QStringList{"mnuNew",        "-", "mnuOpenFile", "mnuSaveFile",
                                         "mnuSaveFileAs", "-", "mnuExit"}
                          << QStringList{"New",        "", "Open File...", "Save",
                                         "Save As...", "", "Exit"};
    QTest::newRow("Setup") << "mnuSetup"
                           << "&Setup" << QStringList{"mnuPortSettings"}
                           << QStringList{"Port Settings"};
    QTest::newRow("Help") << "mnuHelp"
                          << "&Help" << QStringList{"mnuHelpContents", "mnuAbout"}
                          << QStringList{"Contents...", "About"};
}

void tst_MainWindow::menus()
{
    QFETCH(QString, menu);
    QFETCH(QString, title);
    QFETCH(QStringList, names);
    QFETCH(QStringList, captions);
    ScriptedDialogs dialogs;
    frmMainWindow window(plantDefaults());
    window.offerLastFile(); // the end of the start-up, as the program does it

    auto *found = window.findChild<QMenu *>(menu);
    QVERIFY(found);
    QCOMPARE(found->title(), title);
    QVERIFY(window.menuBar()->actions().contains(found->menuAction()));
    const QList<QAction *> actions = entries(found);
    QCOMPARE(actions.size(), names.size());
    for (int i = 0; i < names.size(); ++i) {
        if (names.at(i) == QLatin1String("-")) {
            QVERIFY(actions.at(i)->isSeparator());
            continue;
        }
        QCOMPARE(actions.at(i)->objectName(), names.at(i));
        QCOMPARE(actions.at(i)->text(), captions.at(i));
        QVERIFY(actions.at(i)->isEnabled());
    }
}

void tst_MainWindow::clockLabelsFollowTheClock()
{
    ScriptedDialogs dialogs;
    FixedClock clock(QDateTime(QDate(2008, 4, 9), QTime(14, 5, 7)));
    frmMainWindow window(plantDefaults());
    window.offerLastFile(); // the end of the start-up, as the program does it
    auto *time = control<QLabel>(window, QStringLiteral("lblLocalTime_1"), 0);
    auto *date = control<QLabel>(window, QStringLiteral("lblLocalDate_1"), 0);

    window.timerSecondTick_Timer();
    QCOMPARE(time->text(), QStringLiteral("14:05:07"));
    QCOMPARE(date->text(), QStringLiteral("Apr 09, 2008"));

    clock.set(QDateTime(QDate(2011, 12, 31), QTime(23, 59, 59)));
    window.timerSecondTick_Timer();
    QCOMPARE(time->text(), QStringLiteral("23:59:59"));
    QCOMPARE(date->text(), QStringLiteral("Dec 31, 2011"));
}

void tst_MainWindow::connectAndDisconnect()
{
    ScriptedDialogs dialogs;
    frmMainWindow window(plantDefaults());
    window.offerLastFile(); // the end of the start-up, as the program does it
    QPushButton *connect = window.cmdConnect();

    QTest::mouseClick(connect, Qt::LeftButton);
    QCOMPARE(connect->text(), QStringLiteral("Connecting..."));
    QVERIFY(!connect->isEnabled());

    QTRY_COMPARE(connect->text(), QStringLiteral("Disconnect"));
    QVERIFY(connect->isEnabled());
    QCOMPARE(window.cmdSendConfig()->text(), QStringLiteral("Send Configuration"));
    QCOMPARE(window.textPanel(0)->text(), QStringLiteral(" Connected"));
    QVERIFY(window.findChild<QLabel *>(QStringLiteral("imgSquares_0"))->isHidden());
    QVERIFY(!window.findChild<QLabel *>(QStringLiteral("imgSquares_1"))->isHidden());
    QCOMPARE(window.textPanel(2)->text(),
             QStringLiteral("Connected to Orvane T42X Closed Caption Encoder, Serial"));

    window.timerSecondTick_Timer();
    QCOMPARE(window.textPanel(1)->text(), QStringLiteral("00:00:00"));
    window.timerSecondTick_Timer();
    QCOMPARE(window.textPanel(1)->text(), QStringLiteral("00:00:01"));

    QTest::mouseClick(connect, Qt::LeftButton);
    QCOMPARE(connect->text(), QStringLiteral("Connect"));
    QCOMPARE(window.textPanel(0)->text(), QStringLiteral(" Disconnected"));
    QCOMPARE(window.textPanel(2)->text(), QString());
    QVERIFY(!window.findChild<QLabel *>(QStringLiteral("imgSquares_0"))->isHidden());
    window.timerSecondTick_Timer();
    QCOMPARE(window.textPanel(1)->text(), QString());
    QVERIFY(dialogs.shown.isEmpty());
}

void tst_MainWindow::connectRefusedKeepsTheCaption()
{
    ScriptedDialogs dialogs;
    AppSettings::save(QStringLiteral("COMSettings"), QStringLiteral("Baud"), QStringLiteral("x"));
    frmMainWindow window(plantDefaults());
    window.offerLastFile(); // the end of the start-up, as the program does it
    QCOMPARE(window.sequencer()->CommIFace()->getCOMSettings().baud, 0);

    QTest::mouseClick(window.cmdConnect(), Qt::LeftButton);
    QCOMPARE(dialogs.texts(),
             QStringList{"The port could not be opened.  Please check that the port it is not in "
                         "use by another application."});
    QCOMPARE(window.cmdConnect()->text(), QStringLiteral("Connect"));
    QVERIFY(window.cmdConnect()->isEnabled());
}

void tst_MainWindow::sendingStateLastsTwoSeconds()
{
    ScriptedDialogs dialogs;
    frmMainWindow window(plantDefaults());
    window.offerLastFile(); // the end of the start-up, as the program does it
    QStringList articleButtons = {"cmdRefreshArticles", "cmdInsArticle", "cmdRemoveArticle"};
    QList<QPushButton *> buttons;
    for (const QString &name : articleButtons)
        buttons << control<QPushButton>(window, name, 4);
    auto *list = control<QPlainTextEdit>(window, QStringLiteral("txtArticleList"), 4);
    auto *names = control<QComboBox>(window, QStringLiteral("cmbRemoveArticle"), 4);

    QTest::mouseClick(window.cmdConnect(), Qt::LeftButton);
    QTRY_COMPARE(window.sequencer()->linkState(), 1);

    QTest::mouseClick(window.cmdSendConfig(), Qt::LeftButton);
    QCOMPARE(window.cmdSendConfig()->text(), QStringLiteral("Sending..."));
    QVERIFY(!window.cmdSendConfig()->isEnabled());
    QVERIFY(!window.cmdConnect()->isEnabled());
    QCOMPARE(window.cmdConnect()->text(), QStringLiteral("Disconnect"));
    for (QPushButton *button : buttons)
        QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
    QTimer *minimum = window.sequencer()->timerSendConfigDisable();
    QVERIFY(minimum->isActive());
    QCOMPARE(minimum->interval(), 2000);
    // However slow the machine, the replies below come "within the two seconds".
    minimum->start(60000);

    // The whole configuration is answered well within the two seconds; the window waits.
    Sequencer *link = window.sequencer();
    QTRY_VERIFY(link->CommandQueue().isEmpty() && !link->timerCommTimeout()->isActive());
    QVERIFY(minimum->isActive());
    QCOMPARE(window.cmdSendConfig()->text(), QStringLiteral("Sending..."));
    // The configuration ends with the article-list request, whose reply fills the tab.
    QVERIFY(boxText(list).startsWith(QLatin1String("Article Directory")));
    QCOMPARE(names->count(), 0); // the fresh encoder stores no article

    link->timerSendConfigDisable_Timer();
    QCOMPARE(window.cmdSendConfig()->text(), QStringLiteral("Send Configuration"));
    QVERIFY(window.cmdSendConfig()->isEnabled());
    QVERIFY(window.cmdConnect()->isEnabled());
    for (QPushButton *button : buttons)
        QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));
    QVERIFY(dialogs.shown.isEmpty());
}

void tst_MainWindow::disconnectedEmptiesArticleListOnly()
{
    ScriptedDialogs dialogs;
    frmMainWindow window(plantDefaults());
    window.offerLastFile(); // the end of the start-up, as the program does it
    auto *refresh = control<QPushButton>(window, QStringLiteral("cmdRefreshArticles"), 4);
    auto *list = control<QPlainTextEdit>(window, QStringLiteral("txtArticleList"), 4);
    QTest::mouseClick(window.cmdConnect(), Qt::LeftButton);
    QTRY_COMPARE(window.sequencer()->linkState(), 1);
    QVERIFY(refresh->isEnabled());
    list->setPlainText(QStringLiteral("NEWS T2 3"));

    QTest::mouseClick(window.cmdConnect(), Qt::LeftButton);
    QCOMPARE(list->toPlainText(), QString());
    QVERIFY(refresh->isEnabled());
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
    ScriptedDialogs dialogs;
    frmMainWindow window(plantDefaults());
    window.offerLastFile(); // the end of the start-up, as the program does it
    QTest::mouseClick(window.cmdConnect(), Qt::LeftButton);
    QTRY_COMPARE(window.sequencer()->linkState(), 1);
    Sequencer *link = window.sequencer();
    if (portOpen)
        link->CommIFace()->CommClass()->simulatedEncoder()->setSilent(true);
    else
        QTest::mouseClick(window.cmdConnect(), Qt::LeftButton);
    const QString caption = window.cmdConnect()->text();

    // A command the encoder never answers.
    link->AddCommand(QStringLiteral("P"), QStringLiteral("01 41"));
    link->StartTransaction();
    auto *timeout = window.findChild<QTimer *>(QStringLiteral("timerCommTimeout"));
    QVERIFY(timeout->isActive());
    QCOMPARE(timeout->interval(), 3000);
    link->timerCommTimeout_Timer(); // three seconds of silence

    QCOMPARE(dialogs.texts(), QStringList{message});
    QCOMPARE(dialogs.shown.first().icon, DialogService::Icon::Critical);
    QCOMPARE(dialogs.shown.first().buttons, DialogService::Buttons::Ok);
    QVERIFY(!timeout->isActive());
    QVERIFY(!link->CommIFace()->PortIsOpen());
    QCOMPARE(window.textPanel(0)->text(), QStringLiteral(" Disconnected"));
    QCOMPARE(window.cmdConnect()->text(), QStringLiteral("Connect"));
    QVERIFY(window.cmdConnect()->isEnabled());
    // With the port open the queue is dropped; with it closed, queue and buttons are kept.
    QCOMPARE(link->CommandQueue().size(), portOpen ? 0 : 1);
    if (!portOpen)
        QCOMPARE(window.cmdConnect()->text(), caption);
}

void tst_MainWindow::keepAliveAfterFiveMinutes()
{
    ScriptedDialogs dialogs;
    frmMainWindow window(plantDefaults());
    window.offerLastFile(); // the end of the start-up, as the program does it
    QTest::mouseClick(window.cmdConnect(), Qt::LeftButton);
    QTRY_COMPARE(window.sequencer()->linkState(), 1);
    QList<QByteArray> written;
    window.sequencer()->CommIFace()->CommClass()->setWriteObserver(
        [&](const QByteArray &piece) { written << piece; });
    auto *timeout = window.findChild<QTimer *>(QStringLiteral("timerCommTimeout"));
    window.textPanel(2)->clear();

    for (int second = 0; second < 300; ++second) // 00:00:00 to 00:04:59
        window.timerSecondTick_Timer();
    QCOMPARE(window.textPanel(1)->text(), QStringLiteral("00:04:59"));
    QVERIFY(written.isEmpty());
    QVERIFY(!timeout->isActive());

    window.timerSecondTick_Timer();
    QCOMPARE(window.textPanel(1)->text(), QStringLiteral("00:05:00"));
    QCOMPARE(written, QList<QByteArray>{QByteArray("\x03\x0D\x01?\x0D", 5)});
    QVERIFY(timeout->isActive());
    QCOMPARE(timeout->interval(), 3000);

    // The answer refreshes the identification and leaves the window connected.
    QTRY_VERIFY(!timeout->isActive());
    QCOMPARE(window.textPanel(2)->text(),
             QStringLiteral("Connected to Orvane T42X Closed Caption Encoder, Serial"));
    QCOMPARE(window.textPanel(0)->text(), QStringLiteral(" Connected"));
    QCOMPARE(window.cmdConnect()->text(), QStringLiteral("Disconnect"));

    window.timerSecondTick_Timer(); // 00:05:01: no second check
    QCOMPARE(written.size(), 1);
    QVERIFY(dialogs.shown.isEmpty());
}

void tst_MainWindow::closeAsksFirst_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes closes") << true;
    QTest::newRow("no stays") << false;
}

void tst_MainWindow::closeAsksFirst()
{
    QFETCH(bool, yes);
    ScriptedDialogs dialogs;
    dialogs.answers = {yes ? DialogService::Answer::Yes : DialogService::Answer::No};
    frmMainWindow window(plantDefaults());
    window.offerLastFile(); // the end of the start-up, as the program does it
    window.show();
    QTest::mouseClick(window.cmdConnect(), Qt::LeftButton);
    QTRY_COMPARE(window.sequencer()->linkState(), 1);

    QCOMPARE(window.close(), yes);
    QCOMPARE(dialogs.texts(), QStringList{kExitQuestion});
    QCOMPARE(dialogs.shown.first().buttons, DialogService::Buttons::YesNo);
    QCOMPARE(dialogs.shown.first().icon, DialogService::Icon::None);
    QCOMPARE(window.isVisible(), !yes);
    QCOMPARE(window.sequencer()->CommIFace()->PortIsOpen(), !yes);
    // The settings are stored at close only.
    QCOMPARE(AppSettings::get(QStringLiteral("COMSettings"), QStringLiteral("Device")),
             yes ? QStringLiteral("Simulated encoder") : QString());
}

void tst_MainWindow::exitMenuCloses()
{
    ScriptedDialogs dialogs;
    dialogs.answers = {DialogService::Answer::No, DialogService::Answer::Yes};
    frmMainWindow window(plantDefaults());
    window.offerLastFile(); // the end of the start-up, as the program does it
    window.show();
    auto *exit = window.findChild<QAction *>(QStringLiteral("mnuExit"));
    exit->trigger();
    QVERIFY(window.isVisible());
    exit->trigger();
    QVERIFY(!window.isVisible());
    QCOMPARE(dialogs.texts(), (QStringList{kExitQuestion, kExitQuestion}));
}

void tst_MainWindow::f1OpensTheTabTopic_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("page");
    QTest::newRow("0") << 0 << "Plant_Options.htm";
    QTest::newRow("1") << 1 << "V-Chip.htm";
    QTest::newRow("2") << 2 << "Caption_Channels.htm";
    QTest::newRow("3") << 3 << "Web_TV.htm";
    QTest::newRow("4") << 4 << "Articles.htm";
    QTest::newRow("5") << 5 << "CC_Looping.htm";
    QTest::newRow("6") << 6 << "CGMS-A_Insertion.htm";
}

void tst_MainWindow::f1OpensTheTabTopic()
{
    QFETCH(int, tab);
    QFETCH(QString, page);
    ScriptedDialogs dialogs;
    frmMainWindow window(plantDefaults());
    window.offerLastFile(); // the end of the start-up, as the program does it
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.tabMain()->setCurrentIndex(tab);

    QTest::keyClick(&window, Qt::Key_F1);
    QCOMPARE(dialogs.openedUrls.size(), 1);
    const QUrl url = dialogs.openedUrls.first();
    QCOMPARE(url.fragment(), page);
    QVERIFY(url.isLocalFile());
    QVERIFY(url.path().endsWith(QLatin1String("/Help Files/Quillcast.htm")));
}

void tst_MainWindow::helpContentsAndAbout()
{
    ScriptedDialogs dialogs;
    frmMainWindow window(plantDefaults());
    window.offerLastFile(); // the end of the start-up, as the program does it
    window.findChild<QAction *>(QStringLiteral("mnuHelpContents"))->trigger();
    QCOMPARE(dialogs.openedUrls.size(), 1);
    QCOMPARE(dialogs.openedUrls.first().fragment(), QStringLiteral("Overview.htm"));

    window.findChild<QAction *>(QStringLiteral("mnuAbout"))->trigger();
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.first().title, QStringLiteral("About Orvane Quillcast"));
    QVERIFY(dialogs.shown.first().text.contains(QLatin1String("Version 1.0.4")));
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

void tst_MainWindow::tabChangeEnablesItsFrame()
{
    ScriptedDialogs dialogs;
    frmMainWindow window(plantDefaults());
    window.offerLastFile(); // the end of the start-up, as the program does it
    QWidget *frame = window.findChild<QWidget *>(QStringLiteral("fBorder_3"));
    frame->setEnabled(false);
    window.tabMain()->setCurrentIndex(3);
    QVERIFY(frame->isEnabled());
}

void tst_MainWindow::statusPanelsAndHeight()
{
    ScriptedDialogs dialogs;
    frmMainWindow window(plantDefaults());
    window.offerLastFile(); // the end of the start-up, as the program does it
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.resize(900, 300);

    QCOMPARE(window.statusPanel(0)->minimumWidth(), twips(&window, 1750));
    QCOMPARE(window.statusPanel(0)->maximumWidth(), twips(&window, 1750));
    QCOMPARE(window.statusPanel(1)->maximumWidth(), twips(&window, 800));
    QTRY_COMPARE(window.height(), window.sizeHint().height());
    QCOMPARE(window.minimumHeight(), window.maximumHeight());
    // Panel 3 takes the rest of the bar.
    QTRY_VERIFY(window.statusPanel(2)->width() > window.width() / 2);
}

void tst_MainWindow::minimisedChangesNothing()
{
    ScriptedDialogs dialogs;
    frmMainWindow window(plantDefaults());
    window.offerLastFile(); // the end of the start-up, as the program does it
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.statusPanel(0)->setFixedWidth(10);
    window.setWindowState(Qt::WindowMinimized);
    QResizeEvent resize(QSize(700, 200), window.size());
    QApplication::sendEvent(&window, &resize);
    QCOMPARE(window.statusPanel(0)->width(), 10);
    QCOMPARE(window.statusPanel(0)->maximumWidth(), 10);
}

void tst_MainWindow::portSettingsMenuShowsTheDialog()
{
    ScriptedDialogs dialogs;
    frmMainWindow window(plantDefaults());
    window.offerLastFile(); // the end of the start-up, as the program does it
    QVERIFY(!window.portSettingsDialog());
    bool wasShown = false;
    QTimer::singleShot(0, &window, [&] {
        frmPortSettings *dialog = window.portSettingsDialog();
        wasShown = dialog && dialog->isVisible();
        if (dialog)
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("CancelButton")),
                              Qt::LeftButton);
    });
    window.findChild<QAction *>(QStringLiteral("mnuPortSettings"))->trigger();
    QVERIFY(wasShown);
    QVERIFY(!window.portSettingsDialog()->isVisible());
    QCOMPARE(window.portSettingsDialog()->cmbCOMPort()->currentText(),
             QStringLiteral("COM %1 (Simulated encoder)")
                 .arg(window.sequencer()->CommIFace()->getCOMSettings().port));
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
