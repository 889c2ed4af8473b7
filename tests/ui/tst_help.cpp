#include "ScriptedDialogs.h"
#include "TestSettings.h"

#include "common/AppSettings.h"
#include "link/TrafficLog.h"
#include "ui/RoboHelp.h"
#include "ui/frmHelp.h"
#include "ui/frmTrafficLog.h"

#include <QAction>
#include <QDir>
#include <QListView>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>

using RoboHelp::WindowOptions;

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
    static frmHelp *help() { return RoboHelp::helpWindow(); }

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
        RoboHelp::HelpFilePath = m_startPage;
        RoboHelp::HelpWindowOptions = WindowOptions::standard();
    }

    // One window, reused: the next request only changes its page.
    void linksBackAndForward()
    {
        QCOMPARE(RoboHelp::ShowTopic(QStringLiteral("Overview.htm")), 0);
        frmHelp *first = help();
        const auto go = [](const char *action) {
            help()->findChild<QAction *>(action)->trigger();
            return help()->source().fileName();
        };
        emit help()->browser()->anchorClicked(QUrl(QStringLiteral("Articles.htm")));
        QCOMPARE(help()->source().fileName(), QStringLiteral("Articles.htm"));
        QCOMPARE(go("mnuBack"), QStringLiteral("Overview.htm"));
        QCOMPARE(go("mnuForward"), QStringLiteral("Articles.htm"));
        QCOMPARE(go("mnuContents"), QStringLiteral("Quillcast.htm"));
        RoboHelp::ShowTopic(QStringLiteral("Web_TV.htm"));
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
        QCOMPARE(RoboHelp::ShowHelp(RoboHelp::HelpUrl(QStringLiteral("V-Chip.htm")), options), 0);
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
        RoboHelp::HelpFilePath = helpFile;
        QCOMPARE(RoboHelp::ShowTopic(QStringLiteral("Port_Menu.htm")), 0);
        const QString page = m_temp.filePath(QStringLiteral("robohelp_csh.htm"));
        QCOMPARE(dialogs.openedUrls, QList<QUrl>{QUrl::fromLocalFile(page)});
        QFile file(page);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("\r\ndocument.location=\"" + target.toUtf8() + "\";\r\n"));
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
            QFile file(root.filePath(folder + "/Quillcast.htm"));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        AppSettings::save("Help", "Path", root.filePath("elsewhere"));
        QCOMPARE(RoboHelp::FindHelpFilePath(root.filePath("bin")),
                 root.filePath(found + "/Quillcast.htm"));
    }

    // Help reaches the operator: pages under a folder with "#", the place of missing pages, a
    // browser that cannot be started, F1 in the traffic log.
    void helpReachesTheOperator_data()
    {
        QTest::addColumn<QString>("pages"); // the folder the pages are copied to, "" for none
        QTest::addColumn<QString>("shown"); // the page shown, or a text the operator reads
        QTest::newRow("folder with #") << "a#1/Help Files"
                                       << "a#1/Help Files/Web_TV.htm";
        QTest::newRow("no pages") << ""
                                  << "share/quillcast/Help Files/Quillcast.htm";
        QTest::newRow("no browser") << "Help Files"
                                    << "No web browser could be started";
        QTest::newRow("traffic log F1") << "Help Files"
                                        << "Help Files/Traffic_Log.htm";
    }
    void helpReachesTheOperator()
    {
        QFETCH(QString, pages);
        QFETCH(QString, shown);
        QTemporaryDir root;
        const QDir source(QFileInfo(m_startPage).path());
        QVERIFY(QDir().mkpath(root.filePath("bin")) &&
                (pages.isEmpty() || QDir().mkpath(root.filePath(pages))));
        for (const QString &name : pages.isEmpty() ? QStringList() : source.entryList(QDir::Files))
            QVERIFY(QFile::copy(source.filePath(name), root.filePath(pages + "/" + name)));
        RoboHelp::HelpFilePath = pages.isEmpty() ? RoboHelp::FindHelpFilePath(root.filePath("bin"))
                                                 : root.filePath(pages + "/Quillcast.htm");
        NoBrowser dialogs;
        TrafficLog log;
        frmTrafficLog trafficLog(&log);
        if (QTest::currentDataTag() == QLatin1String("no browser")) {
            AppSettings::save("Help", "Viewer", "browser");
            QCOMPARE(RoboHelp::ShowTopic("Web_TV.htm"), -1);
            QCOMPARE(dialogs.shown.size(), 1);
            QVERIFY2(dialogs.shown.first().startsWith(shown), qPrintable(dialogs.shown.first()));
            QVERIFY(QFile::exists(m_temp.filePath("robohelp_csh.htm")));
            return;
        }
        if (QTest::currentDataTag() == QLatin1String("traffic log F1")) {
            trafficLog.show();
            trafficLog.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&trafficLog));
            QTest::keyClick(trafficLog.findChild<QListView *>("lstTraffic"), Qt::Key_F1);
        } else {
            RoboHelp::ShowTopic("Web_TV.htm");
        }
        QVERIFY(help() && help()->isVisible());
        if (pages.isEmpty())
            QVERIFY(help()->browser()->toPlainText().contains(root.filePath(shown)));
        else
            QCOMPARE(help()->source(), QUrl::fromLocalFile(root.filePath(shown)));
    }

    // The Contents page links every topic page once.
    void contentsListsEachTopicOnce()
    {
        const QDir folder(QFileInfo(m_startPage).path());
        QFile contents(m_startPage);
        QVERIFY(contents.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(contents.readAll());
        for (const QString &page : folder.entryList({"*.htm"}))
            if (page != "Quillcast.htm")
                QVERIFY2(html.count("href=\"" + page + "\"") == 1, qPrintable(page));
    }
};

QTEST_MAIN(tst_Help)
#include "tst_help.moc"
