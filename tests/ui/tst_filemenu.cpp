#include "FixedClock.h"
#include "ScriptedDialogs.h"
#include "TestSettings.h"
#include "config/ConfigCodec.h"
#include "ui/ConfigFileController.h"
#include "ui/frmMainWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

using Step = std::function<void(QWidget *)>;
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
const QString InvalidFile =
    QStringLiteral("The file appears to be an invalid Configuration file or corrupt.");
const QString ImportQuestion =
    QStringLiteral("An error has occurred while importing the file.  Would you like to continue?");
const QString MonthMessage =
    QStringLiteral("The Web Expiry Month could not be applied.  Please set by hand.");
const QString WriteFailed = QStringLiteral("There was an error when trying to open and write to "
                                           "the file.  It might be in use by another application.");

// Sets a control found by objectName as an operator would: a text, a check box or option button
// (true), a list entry (its index).
void set(QWidget *window, const QString &name, const QVariant &value)
{
    QWidget *control = window->findChild<QWidget *>(name);
    if (auto *line = qobject_cast<QLineEdit *>(control))
        line->setText(value.toString());
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(control))
        plain->setPlainText(value.toString());
    else if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(value.toString());
    else if (auto *button = qobject_cast<QAbstractButton *>(control))
        button->setChecked(value.toBool());
    else if (auto *list = qobject_cast<QComboBox *>(control))
        list->setCurrentIndex(value.toInt());
    else
        qWarning("no control %s", qPrintable(name));
}

Step step(const QString &name, const QVariant &value)
{
    return [=](QWidget *window) { set(window, name, value); };
}

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Answers like ScriptedDialogs and notes, for every message, whether the window was on screen.
class VisibilityWatch : public ScriptedDialogs
{
public:
    QWidget *window = nullptr;
    QList<bool> visibleAtMessage;

    Answer message(QWidget *parent, const QString &text, Buttons buttons, Icon icon,
                   const QString &title) override
    {
        visibleAtMessage << (window && window->isVisible());
        return ScriptedDialogs::message(parent, text, buttons, icon, title);
    }
};

} // namespace

class tst_FileMenu : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { delete m_window; }

    void changeTracking_data();
    void changeTracking();
    void newResetsButKeepsTheTitle();
    void failedOpenLeavesDefaultsAndNoFile_data();
    void failedOpenLeavesDefaultsAndNoFile();
    void cancelledSaveAsLeavesNoFile();
    void titleNamesOnlySavedOrLoadedFiles();
    void promptSaveChanges_data();
    void promptSaveChanges();
    void failedSaveWhenClosingStillCloses();
    void unbuildableConfigurationIsReported();
    void startUpOffersTheLastFile_data();
    void startUpOffersTheLastFile();

private:
    std::unique_ptr<QTemporaryDir> m_temp; // one folder per test
    FixedClock m_clock{QDateTime(QDate(2026, 6, 15), QTime(10, 0))};
    VisibilityWatch m_dialogs;
    frmMainWindow *m_window = nullptr;

    ConfigFileController *files() const { return m_window->files(); }
    QString path(const QString &name) const { return m_temp->filePath(name); }
    QString title() const { return m_window->windowTitle(); }
    QString textOf(const char *name) const
    {
        return m_window->findChild<QLineEdit *>(name)->text();
    }
    bool isChecked(const char *name) const
    {
        return m_window->findChild<QAbstractButton *>(name)->isChecked();
    }
    void set(const QString &name, const QVariant &value) { ::set(m_window, name, value); }
    void newWindow()
    {
        delete m_window;
        m_window = new frmMainWindow(DefaultInfo{"NBC", "WNBC", "4660"});
        m_dialogs.window = m_window;
    }
    // Saves the window's configuration under the name through File > Save As....
    void saveAs(const QString &file)
    {
        m_dialogs.savePaths = {file};
        files()->mnuSaveFileAs_Click();
    }
};

void tst_FileMenu::init()
{
    TestSettings::wipe();
    m_temp = std::make_unique<QTemporaryDir>();
    m_clock.set(QDateTime(QDate(2026, 6, 15), QTime(10, 0)));
    m_dialogs.clear();
    m_window = nullptr;
    newWindow();
    files()->TrackChanges(true);
}

void tst_FileMenu::changeTracking_data()
{
    QTest::addColumn<Step>("prepare"); // before the snapshot
    QTest::addColumn<Step>("change");  // after it
    QTest::addColumn<bool>("changed");
    const Step nothing = [](QWidget *) {};
    const Step addArticles = [](QWidget *w) {
        w->findChild<QComboBox *>("cmbRemoveArticle")->addItems({"NEWS", "SPORTS"});
    };

    QTest::newRow("nothing") << nothing << nothing << false;
    QTest::newRow("article list text") << nothing << step("txtArticleList", "A 1") << false;
    QTest::newRow("article removal choice") << addArticles << step("cmbRemoveArticle", 1) << true;
    QTest::newRow("network name") << nothing << step("txtNetworkName", "ABC") << true;
    QTest::newRow("same text again") << nothing << step("txtTSID", "4660") << false;
    QTest::newRow("check box") << nothing << step("chSyncClock", true) << true;
    QTest::newRow("option button") << nothing << step("oDecoderSettings_3", true) << true;
    QTest::newRow("list") << nothing << step("cmbCCLoopingTime_1", 5) << true;
    QTest::newRow("loop time left") << nothing << step("lblCCLpTimeLeft", "00:01:00") << true;
    QTest::newRow("clock labels") << nothing << Step([](QWidget *w) {
        qobject_cast<frmMainWindow *>(w)->timerSecondTick_Timer();
        ::set(w, "lblLocalTimezone_1", "-05:00");
    }) << false;
    QTest::newRow("last caption sent") << nothing << step("lblCCLoopingLastSent", "HI") << false;
    QTest::newRow("status bar") << nothing << Step([](QWidget *w) {
        for (auto *label : w->findChild<QStatusBar *>()->findChildren<QLabel *>())
            label->setText("Connected");
    }) << false;
}

// A change offers to save on closing; no change asks to exit.
void tst_FileMenu::changeTracking()
{
    QFETCH(Step, prepare);
    QFETCH(Step, change);
    QFETCH(bool, changed);
    prepare(m_window);
    files()->TrackChanges(true);
    QVERIFY(!files()->TrackChanges(false));
    change(m_window);
    QCOMPARE(files()->TrackChanges(false), changed);
    m_dialogs.answers = {Answer::Cancel};
    files()->closeRequest();
    QCOMPARE(m_dialogs.texts(), QStringList{changed ? SaveCurrentQuestion : ExitQuestion});
}

void tst_FileMenu::newResetsButKeepsTheTitle()
{
    const QString file = path("named.qcf");
    set("chCCLpInfiniteTime", true);
    saveAs(file);
    set("txtNetworkName", "CHANGED");
    set("oNetworkName_0", true);
    m_dialogs.answers = {Answer::No};
    files()->mnuNew_Click();
    QCOMPARE(m_dialogs.texts(), QStringList{SaveChangesQuestion});
    QCOMPARE(textOf("txtNetworkName"), QStringLiteral("NBC"));
    QVERIFY(isChecked("oNetworkName_2"));
    QVERIFY(isChecked("chCCLpInfiniteTime"));
    QVERIFY(m_window->CurrentConfigFile.isEmpty());
    QCOMPARE(title(), Title + " - " + file);
    QVERIFY(!files()->TrackChanges(false));
}

void tst_FileMenu::failedOpenLeavesDefaultsAndNoFile_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("message"); // after the offer to save
    Configuration wrongOption;
    wrongOption.oNetworkName = 5;
    wrongOption.txtProgramName = QStringLiteral("From File");
    QTest::newRow("not a configuration file") << QByteArray("not a configuration") << InvalidFile;
    QTest::newRow("import error answered No")
        << ConfigCodec::encode(wrongOption).bytes << ImportQuestion;
}

void tst_FileMenu::failedOpenLeavesDefaultsAndNoFile()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, message);
    QFile corrupt(path("corrupt.qcf"));
    QVERIFY(corrupt.open(QIODevice::WriteOnly) && corrupt.write(contents) > 0);
    corrupt.close();
    m_window->LoadPath = m_temp->path() + "/";
    set("txtProgramName", "Old Show");
    set("oCallLetters_0", true);
    m_dialogs.answers = {Answer::No, Answer::No};
    m_dialogs.openPaths = {corrupt.fileName()};
    files()->mnuOpenFile_Click();

    QCOMPARE(m_dialogs.texts(), (QStringList{SaveCurrentQuestion, message}));
    QCOMPARE(m_dialogs.dialogTitles, QStringList{"Open File"});
    QCOMPARE(m_dialogs.dialogFilters, QStringList{"Orvane Configuration Files (.qcf)|*.qcf"});
    QCOMPARE(m_dialogs.dialogFolders, QStringList{m_temp->path() + "/"});
    // Only the defaults: neither the previous configuration nor what the file held.
    QVERIFY(textOf("txtProgramName").isEmpty());
    QVERIFY(isChecked("oCallLetters_2"));
    QCOMPARE(textOf("txtNetworkName"), QStringLiteral("NBC"));
    QVERIFY(m_window->CurrentConfigFile.isEmpty());
    QCOMPARE(title(), Title);
    QVERIFY(!files()->TrackChanges(false));
}

void tst_FileMenu::cancelledSaveAsLeavesNoFile()
{
    const QString file = path("first.qcf");
    saveAs(file);
    const QByteArray before = contentsOf(file);
    set("txtProgramName", "Edited");
    m_dialogs.clear();
    files()->mnuSaveFileAs_Click(); // cancelled
    QCOMPARE(m_dialogs.dialogTitles, QStringList{"Save File"});
    QCOMPARE(m_dialogs.dialogFilters, QStringList{"Orvane Configuration File (.qcf)|*.qcf"});
    QVERIFY(m_window->CurrentConfigFile.isEmpty());
    QCOMPARE(contentsOf(file), before);
    QCOMPARE(QDir(m_temp->path()).entryList(QDir::Files), QStringList{"first.qcf"});

    // The edit counts as seen: closing asks to exit instead of offering to save.
    m_dialogs.answers = {Answer::No};
    QVERIFY(!files()->closeRequest());
    QCOMPARE(m_dialogs.texts(), QStringList{ExitQuestion});
    QCOMPARE(m_dialogs.shown[0].buttons, DialogService::Buttons::YesNo);
    m_dialogs.answers = {Answer::Yes};
    QVERIFY(files()->closeRequest());
}

// The title names the file last saved or loaded; the file dialogs start in the folder of the
// file last chosen.
void tst_FileMenu::titleNamesOnlySavedOrLoadedFiles()
{
    saveAs(path("no/such/folder/x.qcf"));
    QCOMPARE(m_dialogs.texts(), QStringList{WriteFailed});
    QCOMPARE(title(), Title);
    QVERIFY(m_window->CurrentConfigFile.isEmpty());

    QVERIFY(QDir(m_temp->path()).mkpath("one/two"));
    const QString a = path("one/two/a.qcf");
    const QString b = path("one/b.qcf");
    m_window->LoadPath = QStringLiteral("/start/");
    m_dialogs.dialogFolders.clear();
    saveAs(b);
    files()->mnuSaveFile_Click(); // saves to the current file without asking
    saveAs(a);
    QCOMPARE(title(), Title + " - " + a);
    m_dialogs.openPaths = {b};
    files()->mnuOpenFile_Click();
    QCOMPARE(m_dialogs.dialogFolders, (QStringList{"/start/", path("one/"), path("one/two/")}));
    QCOMPARE(title(), Title + " - " + b);
    QCOMPARE(m_window->CurrentConfigFile, b);

    files()->mnuNew_Click();
    QCOMPARE(title(), Title + " - " + b);
    files()->mnuOpenFile_Click(); // cancelled: the previous file is forgotten, its folder kept
    QVERIFY(m_window->CurrentConfigFile.isEmpty());
    QCOMPARE(title(), Title + " - " + b);
    QCOMPARE(m_window->LoadPath, path("one/"));
}

void tst_FileMenu::promptSaveChanges_data()
{
    QTest::addColumn<bool>("named");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("saveAs"); // the name chosen in the dialog, "" to cancel it
    QTest::addColumn<bool>("result");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("stillNamed");
    const auto Yes = Answer::Yes, No = Answer::No, Cancel = Answer::Cancel;
    QTest::newRow("no file: Yes and a name") << false << Yes << "new.qcf" << true << true << true;
    QTest::newRow("no file: Yes, dialog cancelled")
        << false << Yes << "" << false << false << false;
    QTest::newRow("no file: Yes, write fails")
        << false << Yes << "no/new.qcf" << false << false << false;
    QTest::newRow("no file: No") << false << No << "" << true << false << false;
    QTest::newRow("no file: Cancel") << false << Cancel << "" << false << false << false;
    QTest::newRow("named: Yes") << true << Yes << "" << true << true << true;
    QTest::newRow("named: No") << true << No << "" << true << false << true;
    QTest::newRow("named: Cancel") << true << Cancel << "" << false << false << true;
}

void tst_FileMenu::promptSaveChanges()
{
    QFETCH(bool, named);
    QFETCH(Answer, answer);
    QFETCH(QString, saveAs);
    QFETCH(bool, result);
    QFETCH(bool, written);
    QFETCH(bool, stillNamed);
    const QString target = path(named ? "named.qcf" : "new.qcf");
    if (named)
        this->saveAs(target);
    const QByteArray before = contentsOf(target);
    set("txtProgramName", "Edited");
    m_dialogs.clear();
    m_dialogs.answers = {answer};
    m_dialogs.savePaths = {saveAs.isEmpty() ? QString() : path(saveAs)};
    QCOMPARE(files()->PromptSaveChanges(), result);
    QCOMPARE(m_dialogs.shown.first().text, named ? SaveChangesQuestion : SaveCurrentQuestion);
    QCOMPARE(m_dialogs.shown.first().buttons, DialogService::Buttons::YesNoCancel);
    QCOMPARE(contentsOf(target) != before, written);
    QCOMPARE(!m_window->CurrentConfigFile.isEmpty(), stillNamed);
    // The snapshot is taken exactly when the caller may go on.
    QCOMPARE(files()->TrackChanges(false), !result);
    // Saving to a newly chosen file leaves the title alone.
    QCOMPARE(title(), named ? Title + " - " + target : Title);
}

void tst_FileMenu::failedSaveWhenClosingStillCloses()
{
    const QString file = path("closing.qcf");
    saveAs(file);
    QVERIFY(QFile::remove(file));
    QVERIFY(QDir(m_temp->path()).mkpath("closing.qcf/inside"));
    set("txtProgramName", "Later Show");
    m_dialogs.answers = {Answer::Yes};
    QVERIFY(files()->closeRequest());
    QCOMPARE(m_dialogs.texts(), (QStringList{SaveChangesQuestion, WriteFailed}));
}

void tst_FileMenu::unbuildableConfigurationIsReported()
{
    // A URL as long as the box takes: the file would pass the format's 32767 bytes.
    set("txtWebURL", QString(32767, QLatin1Char('u')));
    saveAs(path("huge.qcf"));
    QCOMPARE(m_dialogs.shown.size(), 1);
    QCOMPARE(m_dialogs.shown[0].title, QStringLiteral("Error"));
    QVERIFY(m_dialogs.shown[0].text.startsWith("Error saving file\r\n\r\n"));
    QVERIFY(!QFile::exists(path("huge.qcf")));
    QCOMPARE(title(), Title);
    QVERIFY(files()->TrackChanges(false)); // no closing snapshot after a failure
}

void tst_FileMenu::startUpOffersTheLastFile_data()
{
    QTest::addColumn<bool>("lastFile");
    QTest::addColumn<Answer>("answer");
    QTest::newRow("Yes loads the last file") << true << Answer::Yes;
    QTest::newRow("No forgets it for this run") << true << Answer::No;
    QTest::newRow("no last file") << false << Answer::Yes;
}

// The last file and folder of one run come back at the next start, with the offer to load the
// file asked before the window shows. A load with a message shows the window for it and hides it
// again for the start-up to show it; left alone for a few clock ticks, the window then closes
// with the plain exit question.
void tst_FileMenu::startUpOffersTheLastFile()
{
    QFETCH(bool, lastFile);
    QFETCH(Answer, answer);
    QVERIFY(QDir(m_temp->path()).mkpath("plant"));
    const QString file = path("plant/news.qcf");
    set("txtProgramName", "From File");
    set("oNetworkName_1", true);
    set("chCtrlNetworkName", true);
    set("cmbWebExpiryYear", 1);  // 2026
    set("cmbWebExpiryMonth", 7); // December, gone from the list in the next run
    saveAs(file);
    QVERIFY(m_window->close());
    QCOMPARE(m_dialogs.texts(), QStringList{ExitQuestion});
    if (!lastFile)
        TestSettings::wipe();

    m_clock.set(QDateTime(QDate(2026, 11, 10), QTime(8, 0)));
    newWindow();
    QCOMPARE(m_window->LoadPath == path("plant/"), lastFile);
    m_dialogs.clear();
    m_dialogs.visibleAtMessage.clear();
    m_dialogs.answers = {answer};
    m_window->offerLastFile();
    const bool loads = lastFile && answer == Answer::Yes;
    const QString offer = "Would you like to load " + file + "?";
    const QStringList messages = {offer, MonthMessage};
    QCOMPARE(m_dialogs.texts(), messages.mid(0, lastFile + loads));
    if (lastFile) {
        QCOMPARE(m_dialogs.shown[0].icon, DialogService::Icon::Information);
        QCOMPARE(m_dialogs.shown[0].buttons, DialogService::Buttons::YesNo);
        QCOMPARE(m_dialogs.visibleAtMessage, (QList<bool>{false, true}).mid(0, 1 + loads));
    }
    QVERIFY(!m_window->isVisible());
    QCOMPARE(textOf("txtProgramName"), loads ? QString("From File") : QString());
    QCOMPARE(isChecked("oNetworkName_1"), loads);
    QCOMPARE(m_window->CurrentConfigFile, loads ? file : QString());
    QCOMPARE(title(), loads ? Title + " - " + file : Title);

    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    for (int tick = 0; tick < 3; ++tick) {
        m_window->timerSecondTick_Timer();
        QCoreApplication::processEvents();
    }
    m_dialogs.clear();
    QVERIFY(m_window->close());
    QCOMPARE(m_dialogs.texts(), QStringList{ExitQuestion});
    // Declining the offer forgets the file for this run only.
    QCOMPARE(AppSettings::get("Application", "Last File"), lastFile ? file : QString());
}

QTEST_MAIN(tst_FileMenu)
#include "tst_filemenu.moc"
