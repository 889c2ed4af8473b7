#include "FixedClock.h"
#include "GoldenFiles.h"
#include "TabsWindow.h"
#include "core/common/AppSettings.h"
#include "ui/ConfigFileController.h"
#include "ui/ConfigurationBinder.h"

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <functional>
#include <memory>
#include <sys/mount.h>

using Step = std::function<void(TabsWindow &)>;
Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(DialogService::Answer)

namespace {

using Answer = DialogService::Answer;

const QString Title = QStringLiteral("Orvane Quillcast");
const QString ExitQuestion = QStringLiteral("Are you sure you want to exit?");
const QString SaveCurrentQuestion =
    QStringLiteral("Would you like to save the current Configuration?");
const QString SaveChangesQuestion = QStringLiteral(
    "Changes have been made to the current file.  Would you like to save those changes?");
const QString WriteFailed = QStringLiteral("There was an error when trying to open and write to "
                                           "the file.  It might be in use by another application.");

// Sets controls as TabsWindow::apply does.
Step step(const QString &steps)
{
    return [=](TabsWindow &w) { w.apply(steps); };
}

} // namespace

// The File menu: change tracking, the offers to save, files opened and saved through the
// window, the title and the start-up offer.
class tst_FileMenu : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_temp = std::make_unique<QTemporaryDir>();
        m_clock.set(QDateTime(QDate(2026, 6, 15), QTime(10, 0)));
        m_w = std::make_unique<TabsWindow>();
        files()->trackChanges(true);
    }
    void cleanup() { m_w.reset(); }

    void changeTracking_data()
    {
        QTest::addColumn<Step>("change");
        QTest::addColumn<bool>("changed");
        QTest::newRow("article list text") << step("txtArticleList=A") << false;
        QTest::newRow("network name") << step("txtNetworkName=ABC") << true;
        QTest::newRow("same text again") << step("txtTSID=4660") << false;
        QTest::newRow("check box") << step("chSyncClock=true") << true;
        QTest::newRow("option button") << step("oDecoderSettings_3=true") << true;
        QTest::newRow("list") << step("cmbCCLoopingTime_1=5") << true;
        QTest::newRow("loop time left") << step("lblCCLpTimeLeft=00:01:00") << true;
        QTest::newRow("article removal choice") << Step([](TabsWindow &w) {
            w.list("cmbRemoveArticle")->addItems({"NEWS", "SPORTS"});
            w.top.files()->trackChanges(true);
            w.set("cmbRemoveArticle", 1);
        }) << true;
        QTest::newRow("clock and status") << Step([](TabsWindow &w) {
            w.top.tick();
            for (const char *label : {"lblLocalTime_1", "lblLocalDate_1", "lblLocalTimezone_1"})
                w.set(label, "23:59");
            w.set("lblCCLoopingLastSent", "HI");
            for (auto *label : w.top.statusBar()->findChildren<QLabel *>())
                label->setText("Connected");
        }) << false;
    }
    // A change offers to save on closing; no change asks to exit.
    void changeTracking()
    {
        QFETCH(Step, change);
        QFETCH(bool, changed);
        QVERIFY(!files()->trackChanges(false));
        change(*m_w);
        QCOMPARE(files()->trackChanges(false), changed);
        m_w->dialogs.answers = {Answer::Cancel};
        QVERIFY(!files()->closeRequest());
        QCOMPARE(m_w->dialogs.texts(), QStringList{changed ? SaveCurrentQuestion : ExitQuestion});
    }

    void resetsEveryField_data()
    {
        QTest::addColumn<QString>("opened");  // "": File > New; else a file that fails to open
        QTest::addColumn<QString>("message"); // after the offer to save
        QTest::newRow("File > New") << ""
                                    << "";
        QTest::newRow("invalid file")
            << "damaged-magic"
            << "The file appears to be an invalid Configuration file or corrupt.";
        QTest::newRow("import refused")
            << "decoder-beyond-off"
            << "An error has occurred while importing the file.  Would you like to continue?";
    }
    // File > New, or an open that fails, after a file with every packet inserted and the other
    // tabs changed: every field back at the plant's defaults ("Continuous Loop" keeps its
    // value), neither what was there nor what the file held, what they close greyed and the
    // loop's settings cleared; no current file, the title still naming the last one saved.
    void resetsEveryField()
    {
        QFETCH(QString, opened);
        QFETCH(QString, message);
        const QString file = path("named.qcf");
        m_w->dialogs.openPaths = {goldenFile("inserted.qcf")};
        files()->openFile();
        m_w->apply(
            "txtSendCaptions=Hi oSendCaptions_5=1 oInsertArticles_3=1 txtInsArticleRepeat=5 "
            "cmbCCLoopingTime_1=5 chCCLpInfiniteTime=1 lblCCLpLineDelay=3 cmbProgRatingSys=0");
        ConfigurationBinder::showCaptionLoopFile(&m_w->top, "/data/loop.txt");
        saveAs(file);
        m_w->dialogs.clear();
        m_w->dialogs.answers = {Answer::No, Answer::No};
        m_w->set("txtNetworkName", "CHANGED");
        m_w->dialogs.openPaths = {goldenFile(opened + ".qcf")};
        opened.isEmpty() ? files()->newFile() : files()->openFile();
        QCOMPARE(m_w->dialogs.texts(),
                 (QStringList{SaveChangesQuestion, message}.mid(0, opened.isEmpty() ? 1 : 2)));
        Configuration expected =
            Configuration::defaults(m_w->top.defaultInfo(), m_w->top.snapshot().InDaylightTime);
        expected.chCCLpInfiniteTime = 1;
        QCOMPARE(fieldTexts(ConfigurationBinder::read(&m_w->top)), fieldTexts(expected));
        QStringList greyed =
            QStringLiteral("lblLocalTime_0 lblLocalDate_1 lblLocalTimezone_0 "
                           "chDSObserved chDSInEffect txtNetworkName txtCallLetters "
                           "txtTSID txtProgramName cmbProgramRating txtWebURL cmbCGMS")
                .split(' ');
        for (const char *group :
             {"oNetworkName", "oCallLetters", "oTSID", "oTimeOfDay", "oTimezone", "oProgramName"})
            greyed += TabsWindow::members(group, 3);
        QCOMPARE(m_w->enabledOf(greyed + TabsWindow::members("chProgramRatingFlags", 5)),
                 QStringList());
        QCOMPARE(m_w->find<QLabel>("lblCCLpLineDelay")->text(), QString());
        QCOMPARE(m_w->top.windowTitle() + m_w->top.CurrentConfigFile, Title + " - " + file);
        QVERIFY(!files()->trackChanges(false));
    }

    // A file opened and saved again is unchanged, byte for byte.
    void openAndSaveChangeNothing_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"inserted", "other-fields", "odd-texts", "blocked-greyed",
                                 "short-texts", "rating-cdnfr-18", "last-values"})
            QTest::newRow(name) << goldenFile(QString(name) + ".qcf");
    }
    void openAndSaveChangeNothing()
    {
        QFETCH(QString, name);
        m_w->dialogs.openPaths = {name};
        files()->openFile();
        QVERIFY(!files()->trackChanges(false));
        saveAs(path("saved.qcf"));
        QVERIFY(contentsOf(path("saved.qcf")) == contentsOf(name));
    }

    // A folder of 40 characters is shown whole, in the label and in its tip, as it is named.
    void captionLoopFileReadsAsNamed()
    {
        QVERIFY(m_w->show());
        const QString folder = QStringLiteral("/data/<b>bold</b>&amp;/evening-news-xxx/");
        ConfigurationBinder::showCaptionLoopFile(&m_w->top, folder + "<i>x.txt");
        auto *shown = m_w->find<QLabel>("lblCCLpCurFilePath");
        QCOMPARE(shown->text() + m_w->find<QLabel>("lblCCLpCurFileName")->text(),
                 folder + "<i>x.txt");
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), shown->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(shown, &help);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText(), folder);
    }

    // The title names the file last saved or loaded; the file dialogs start in the folder of
    // the file last chosen.
    void titleNamesOnlySavedOrLoadedFiles()
    {
        saveAs(path("no/such/folder/x.qcf"));
        QCOMPARE(m_w->dialogs.texts(), QStringList{WriteFailed});
        QCOMPARE(m_w->top.windowTitle(), Title);
        QVERIFY(QDir(m_temp->path()).mkpath("one/two"));
        const QString a = path("one/two/a.qcf");
        const QString b = path("one/b.qcf");
        m_w->top.LoadPath = QStringLiteral("/start/");
        m_w->dialogs.dialogFolders.clear();
        saveAs(b);
        files()->saveFile(); // saves to the current file without asking
        saveAs(a);
        QCOMPARE(m_w->top.windowTitle(), Title + " - " + a);
        m_w->dialogs.openPaths = {b};
        files()->openFile();
        QCOMPARE(m_w->dialogs.dialogFolders,
                 (QStringList{"/start/", path("one/"), path("one/two/")}));
        QCOMPARE(m_w->top.windowTitle() + m_w->top.CurrentConfigFile, Title + " - " + b + b);
        files()->openFile(); // cancelled: the file is forgotten, its folder kept
        QCOMPARE(m_w->top.windowTitle() + m_w->top.CurrentConfigFile, Title + " - " + b);
        QCOMPARE(m_w->top.LoadPath, path("one/"));
    }

    void promptSaveChanges_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("saveAs"); // the name chosen in the dialog, "" to cancel it
        QTest::addColumn<bool>("result");
        const auto Yes = Answer::Yes, No = Answer::No, Cancel = Answer::Cancel;
        QTest::newRow("no file: Yes and a name") << false << Yes << "new.qcf" << true;
        QTest::newRow("no file: Yes, dialog cancelled") << false << Yes << "" << false;
        QTest::newRow("no file: Yes, write fails") << false << Yes << "no/new.qcf" << false;
        QTest::newRow("no file: No") << false << No << "" << true;
        QTest::newRow("no file: Cancel") << false << Cancel << "" << false;
        QTest::newRow("named: Yes") << true << Yes << "" << true;
        QTest::newRow("named: No") << true << No << "" << true;
        QTest::newRow("named: Cancel") << true << Cancel << "" << false;
    }
    // A Yes that the caller may go on from wrote the file, and names it.
    void promptSaveChanges()
    {
        QFETCH(bool, named);
        QFETCH(Answer, answer);
        QFETCH(QString, saveAs);
        QFETCH(bool, result);
        const QString target = path(named ? "named.qcf" : "new.qcf");
        if (named)
            this->saveAs(target);
        const qint64 before = QFileInfo(target).size();
        m_w->set("txtProgramName", "Edited");
        m_w->dialogs.clear();
        m_w->dialogs.answers = {answer};
        m_w->dialogs.savePaths = {saveAs.isEmpty() ? QString() : path(saveAs)};
        QCOMPARE(files()->promptSaveChanges(), result);
        QCOMPARE(m_w->dialogs.shown.first(), named ? SaveChangesQuestion : SaveCurrentQuestion);
        const bool written = result && answer == Answer::Yes;
        QCOMPARE(QFileInfo(target).size() != before, written);
        QCOMPARE(!m_w->top.CurrentConfigFile.isEmpty(), named || written);
        // The snapshot is taken exactly when the caller may go on.
        QCOMPARE(files()->trackChanges(false), !result);
        QCOMPARE(m_w->top.windowTitle(), named ? Title + " - " + target : Title);
    }

    // A save that fails on closing is reported, and the window stays open with the edits.
    void failedSaveWhenClosingKeepsTheWindow()
    {
        const QString file = path("closing.qcf");
        saveAs(file);
        QVERIFY(QFile::remove(file) && QDir(m_temp->path()).mkpath("closing.qcf/inside"));
        m_w->set("txtProgramName", "Later Show");
        m_w->dialogs.answers = {Answer::Yes};
        QVERIFY(!files()->closeRequest());
        QCOMPARE(m_w->dialogs.texts(), (QStringList{SaveChangesQuestion, WriteFailed}));
        QCOMPARE(m_w->box("txtProgramName")->text(), QStringLiteral("Later Show"));
        // Nothing of the folder that took the name is replaced, nor is anything left beside it.
        QCOMPARE(QDir(m_temp->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"closing.qcf"});
        QVERIFY(QFileInfo(path("closing.qcf/inside")).isDir());
    }

    // On a full disk (a 64 KiB tmpfs, filled) Save and Save As fail with their message and leave
    // the disk as it was, the file byte for byte; the edits still count as unsaved.
    void fullDisk()
    {
        const QString disk = path("disk");
        if (!QDir().mkpath(disk) || ::mount("tmpfs", qPrintable(disk), "tmpfs", 0, "size=64k") != 0)
            QSKIP("No full disk to try: mounting a 64 KiB tmpfs failed (it takes root)");
        const auto unmount = qScopeGuard([&] { ::umount(qPrintable(disk)); });
        saveAs(disk + "/c.qcf");
        QProcess::execute("sh", {"-c", "dd if=/dev/zero of='" + disk + "/fill' bs=4k 2>/dev/null"});
        const QByteArray before = contentsOf(disk + "/c.qcf");
        m_w->set("txtProgramName", "Edited");
        m_w->dialogs.clear();
        m_w->find<QAction>("mnuSaveFile")->trigger();
        m_w->dialogs.savePaths = {disk + "/d.qcf"};
        m_w->find<QAction>("mnuSaveFileAs")->trigger();
        QVERIFY(contentsOf(disk + "/c.qcf") == before);
        QCOMPARE(QDir(disk).entryList(QDir::Files), (QStringList{"c.qcf", "fill"}));
        // Exit and New offer to save them; Cancel keeps them.
        m_w->dialogs.answers = {Answer::Cancel, Answer::Cancel};
        QVERIFY(!m_w->top.close());
        files()->newFile();
        QCOMPARE(m_w->dialogs.texts(),
                 (QStringList{WriteFailed, WriteFailed, SaveCurrentQuestion, SaveCurrentQuestion}));
    }

    void unbuildableConfigurationIsReported()
    {
        // A URL as long as the box takes: the file would pass the format's 32767 bytes.
        m_w->set("txtWebURL", QString(32767, QLatin1Char('u')));
        saveAs(path("huge.qcf"));
        QCOMPARE(m_w->dialogs.shown.size(), 1);
        QVERIFY(m_w->dialogs.shown[0].startsWith("Error saving file\r\n\r\n"));
        QVERIFY(!QFile::exists(path("huge.qcf")));
        QVERIFY(files()->trackChanges(false)); // no closing snapshot after a failure
    }

    void startUpOffersTheLastFile_data()
    {
        QTest::addColumn<bool>("lastFile");
        QTest::addColumn<Answer>("answer");
        QTest::newRow("Yes loads the last file") << true << Answer::Yes;
        QTest::newRow("No forgets it for this run") << true << Answer::No;
        QTest::newRow("no last file") << false << Answer::Yes;
    }
    // The last file of one run is offered at the next start, before the window shows.
    void startUpOffersTheLastFile()
    {
        QFETCH(bool, lastFile);
        QFETCH(Answer, answer);
        const QString file = path("news.qcf");
        // The expiry 2026 December is gone from the list in the next run.
        m_w->apply("txtProgramName=Show cmbWebExpiryYear=1 cmbWebExpiryMonth=7");
        saveAs(file);
        QVERIFY(m_w->top.close());
        m_w.reset();

        m_clock.set(QDateTime(QDate(2026, 11, 10), QTime(8, 0)));
        m_w = std::make_unique<TabsWindow>(!lastFile);
        m_w->dialogs.answers = {answer};
        m_w->top.offerLastFile();
        const bool loads = lastFile && answer == Answer::Yes;
        const QStringList messages = {
            "Would you like to load " + file + "?",
            "The Web Expiry Month could not be applied.  Please set by hand."};
        QCOMPARE(m_w->dialogs.texts(), messages.mid(0, lastFile + loads));
        QCOMPARE(m_w->box("txtProgramName")->text(), loads ? QString("Show") : QString());
        QCOMPARE(m_w->top.windowTitle() + m_w->top.CurrentConfigFile,
                 loads ? Title + " - " + file + file : Title);
        m_w->dialogs.clear();
        QVERIFY(m_w->top.close());
        QCOMPARE(m_w->dialogs.texts(), QStringList{ExitQuestion});
        QCOMPARE(AppSettings::get("Application", "Last File"), lastFile ? file : QString());
    }

private:
    std::unique_ptr<QTemporaryDir> m_temp; // one folder per test
    FixedClock m_clock{QDateTime(QDate(2026, 6, 15), QTime(10, 0))};
    std::unique_ptr<TabsWindow> m_w;

    ConfigFileController *files() const { return m_w->top.files(); }
    QString path(const QString &name) const { return m_temp->filePath(name); }
    void saveAs(const QString &file)
    {
        m_w->dialogs.savePaths = {file};
        files()->saveFileAs();
    }
};

QTEST_MAIN(tst_FileMenu)
#include "tst_filemenu.moc"
