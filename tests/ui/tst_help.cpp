#include "ScriptedDialogs.h"
#include "TestSettings.h"

#include "common/AppSettings.h"
#include "ui/RoboHelp.h"
#include "ui/frmHelp.h"

#include <QAction>
#include <QDir>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>

using RoboHelp::WindowOptions;

class tst_Help : public QObject
{
    Q_OBJECT

    QString m_startPage;
    QTemporaryDir m_temp; // the temporary folder of the program, for the fallback page
    static frmHelp *help() { return RoboHelp::helpWindow(); }

private slots:
    void initTestCase()
    {
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
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
        QTest::newRow("nowhere") << QStringList{} << beside;
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
};

QTEST_MAIN(tst_Help)
#include "tst_help.moc"
