#include "GoldenFiles.h"
#include "ScriptedDialogs.h"
#include "TestSettings.h"

#include "core/common/AppSettings.h"
#include "core/session/TrafficLog.h"
#include "ui/HelpLauncher.h"
#include "ui/HelpWindow.h"
#include "ui/TrafficLogWindow.h"

#include <QAction>
#include <QDir>
#include <QListView>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>

using HelpLauncher::WindowOptions;

// A system where no browser takes the page.
struct NoBrowser : ScriptedDialogs
{
    bool openUrl(const QUrl &url) override { return ScriptedDialogs::openUrl(url), false; }
};

class tst_Help : public QObject
{
    Q_OBJECT

    QString m_startPage;
    QTemporaryDir m_temp; // the user's runtime folder, for the fallback page
    static HelpWindow *help() { return HelpLauncher::helpWindow(); }

private slots:
    void initTestCase()
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_temp.path()));
        m_startPage = QFileInfo(QFINDTESTDATA("../../help/Quillcast.htm")).canonicalFilePath();
    }

    void init()
    {
        TestSettings::wipe();
        if (help())
            help()->close();
        HelpLauncher::HelpFilePath = m_startPage;
        HelpLauncher::HelpWindowOptions = WindowOptions::standard();
    }

    // One window, reused: the next request only changes its page.
    void linksBackAndForward()
    {
        QCOMPARE(HelpLauncher::showTopic(QStringLiteral("Overview.htm")), 0);
        HelpWindow *first = help();
        const auto go = [](const char *action) {
            help()->findChild<QAction *>(action)->trigger();
            return help()->source().fileName();
        };
        emit help()->browser()->anchorClicked(QUrl(QStringLiteral("Articles.htm")));
        QCOMPARE(help()->source().fileName(), QStringLiteral("Articles.htm"));
        QCOMPARE(go("mnuBack"), QStringLiteral("Overview.htm"));
        QCOMPARE(go("mnuForward"), QStringLiteral("Articles.htm"));
        QCOMPARE(go("mnuContents"), QStringLiteral("Quillcast.htm"));
        HelpLauncher::showTopic(QStringLiteral("Web_TV.htm"));
        QCOMPARE(help(), first);
        QCOMPARE(help()->source().fileName(), QStringLiteral("Web_TV.htm"));
    }

    void windowOptions_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QRect>("place");
        // address bar, menu bar, resizable, tool bar, status bar
        QTest::addColumn<QList<bool>>("shown");
        QTest::newRow("flags 7") << 7 << QRect(25, 25, 800, 600)
                                 << QList<bool>{true, true, true, false, false};
        QTest::newRow("flags 24") << 24 << QRect(10, 40, 500, 300)
                                  << QList<bool>{false, false, false, true, true};
    }
    // Left and top place the window's frame; width and height size what it shows.
    void windowOptions()
    {
        QFETCH(int, flags);
        QFETCH(QRect, place);
        QFETCH(QList<bool>, shown);
        const WindowOptions options{qint16(flags), qint16(place.top()), qint16(place.left()),
                                    qint16(place.height()), qint16(place.width())};
        QCOMPARE(
            HelpLauncher::showHelp(HelpLauncher::helpUrl(QStringLiteral("V-Chip.htm")), options),
            0);
        QCOMPARE(QRect(help()->frameGeometry().topLeft(), help()->size()), place);
        const QList<bool> bars = {
            help()->findChild<QToolBar *>("tbAddress")->isVisible(),
            help()->menuBar()->isVisible(),
            help()->minimumSize() != help()->maximumSize(),
            help()->findChild<QToolBar *>("tbNavigation")->isVisible(),
            help()->statusBar()->isVisible(),
        };
        QCOMPARE(bars, shown);
    }

    void browserRouteWritesTheFallbackPage_data()
    {
        QTest::addColumn<QString>("helpFile");
        QTest::addColumn<QString>("target");
        QTest::newRow("installed path")
            << "/usr/share/quillcast/Help Files/Quillcast.htm"
            << "file:///usr/share/quillcast/Help Files/Quillcast.htm#Port_Menu.htm";
        QTest::newRow("backslashes")
            << "C:\\Program Files\\Orvane\\Help Files\\Quillcast.htm"
            << "file://C:/Program Files/Orvane/Help Files/Quillcast.htm#Port_Menu.htm";
        QTest::newRow("# and % in a folder")
            << "/srv/a#1%/Help Files/Quillcast.htm"
            << "file:///srv/a%231%25/Help Files/Quillcast.htm#Port_Menu.htm";
    }
    void browserRouteWritesTheFallbackPage()
    {
        QFETCH(QString, helpFile);
        QFETCH(QString, target);
        AppSettings::save(QStringLiteral("Help"), QStringLiteral("Viewer"),
                          QStringLiteral("browser"));
        ScriptedDialogs dialogs;
        HelpLauncher::HelpFilePath = helpFile;
        QCOMPARE(HelpLauncher::showTopic(QStringLiteral("Port_Menu.htm")), 0);
        const QString page = m_temp.filePath(QStringLiteral("robohelp_csh.htm"));
        QCOMPARE(dialogs.openedUrls, QList<QUrl>{QUrl::fromLocalFile(page)});
        QVERIFY(
            contentsOf(page).contains("\r\ndocument.location=\"" + target.toUtf8() + "\";\r\n"));
        QVERIFY(!help() || !help()->isVisible());
    }

    void helpFilePathSearch_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("found");
        const QString beside = QStringLiteral("bin/Help Files");
        const QString installed = QStringLiteral("share/quillcast/Help Files");
        const QString configured = QStringLiteral("elsewhere");
        QTest::newRow("beside the program") << QStringList{beside, installed, configured} << beside;
        QTest::newRow("installed") << QStringList{installed, configured} << installed;
        QTest::newRow("settings key") << QStringList{configured} << configured;
        QTest::newRow("nowhere: where the installed pages belong") << QStringList{} << installed;
    }
    void helpFilePathSearch()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, found);
        QTemporaryDir root;
        QDir().mkpath(root.filePath("bin"));
        for (const QString &folder : present) {
            QVERIFY(QDir().mkpath(root.filePath(folder)));
            QVERIFY(writeFile(root.filePath(folder + "/Quillcast.htm"), {}));
        }
        AppSettings::save("Help", "Path", root.filePath("elsewhere"));
        QCOMPARE(HelpLauncher::findHelpFilePath(root.filePath("bin")),
                 root.filePath(found + "/Quillcast.htm"));
    }

    // Help reaches the operator: pages under a folder with "#", the place of missing pages, a
    // browser that cannot be started, F1 in the traffic log. %1 is the installation's root.
    void helpReachesTheOperator_data()
    {
        QTest::addColumn<QString>("bin");  // the program's folder; pages are copied beside it
        QTest::addColumn<QString>("seen"); // the page shown or a text the operator reads
        QTest::newRow("folder with #") << "a#1/bin"
                                       << "%1/a#1/bin/Help Files/Web_TV.htm";
        QTest::newRow("no pages") << "bin"
                                  << "at\n%1/share/quillcast/Help Files/Quillcast.htm";
        QTest::newRow("no browser") << "bin"
                                    << "No web browser could be started to show %2";
        QTest::newRow("traffic log F1") << "bin"
                                        << "%1/bin/Help Files/Traffic_Log.htm";
    }
    void helpReachesTheOperator()
    {
        QFETCH(QString, bin);
        QFETCH(QString, seen);
        const QString tag = QTest::currentDataTag();
        QTemporaryDir root;
        const QDir pages(root.filePath(bin + "/Help Files"));
        const QDir source = QFileInfo(m_startPage).dir();
        QVERIFY(pages.mkpath("."));
        for (const QString &name : source.entryList(QDir::Files))
            QVERIFY(tag == "no pages" || QFile::copy(source.filePath(name), pages.filePath(name)));
        HelpLauncher::HelpFilePath = HelpLauncher::findHelpFilePath(root.filePath(bin));
        const QString fallbackPage = m_temp.filePath("robohelp_csh.htm");
        QFile::remove(fallbackPage);
        NoBrowser dialogs;
        if (tag == "no browser")
            AppSettings::save("Help", "Viewer", "browser");
        TrafficLog log;
        TrafficLogWindow trafficLog(&log);
        if (tag == "traffic log F1") {
            trafficLog.show();
            QVERIFY(QTest::qWaitForWindowActive(&trafficLog));
            QTest::keyClick(trafficLog.findChild<QListView *>("lstTraffic"), Qt::Key_F1);
        } else {
            HelpLauncher::showTopic("Web_TV.htm");
        }
        const QString shown =
            dialogs.shown.join("\n") +
            (help() && help()->isVisible()
                 ? help()->source().toLocalFile() + "\n" + help()->browser()->toPlainText()
                 : "");
        QVERIFY2(shown.contains(seen.replace("%1", root.path()).replace("%2", fallbackPage)),
                 qPrintable(shown));
        QCOMPARE(QFile::exists(fallbackPage), tag == "no browser");
    }

    // The Contents page links every topic page once.
    void contentsListsEachTopicOnce()
    {
        const QString html = QString::fromUtf8(contentsOf(m_startPage));
        for (const QString &page : QFileInfo(m_startPage).dir().entryList({"*.htm"}))
            if (page != "Quillcast.htm")
                QVERIFY2(html.count("href=\"" + page + "\"") == 1, qPrintable(page));
    }
};

QTEST_MAIN(tst_Help)
#include "tst_help.moc"
