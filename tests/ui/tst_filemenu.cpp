#include "FixedClock.h"
#include "ScriptedDialogs.h"
#include "TestSettings.h"
#include "config/ConfigCodec.h"
#include "ui/ConfigFileController.h"
#include "ui/ConfigurationBinder.h"
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
const QString CouldNotOpen = QStringLiteral(
    "The file could not be opened.  Please make sure it is not in use by another application.");
const QString ImportQuestion =
    QStringLiteral("An error has occurred while importing the file.  Would you like to continue?");
const QString MonthMessage =
    QStringLiteral("The Web Expiry Month could not be applied.  Please set by hand.");
const QString WriteFailed = QStringLiteral("There was an error when trying to open and write to "
                                           "the file.  It might be in use by another application.");

template <typename T> T *find(QWidget *root, const QString &name)
{
    T *control = root->findChild<T *>(name);
    if (!control)
        qWarning("no control %s", qPrintable(name));
    return control;
}

void setText(QWidget *root, const QString &name, const QString &text)
{
    if (auto *line = root->findChild<QLineEdit *>(name))
        line->setText(text);
    else if (auto *plain = root->findChild<QPlainTextEdit *>(name))
        plain->setPlainText(text);
    else if (auto *label = root->findChild<QLabel *>(name))
        label->setText(text);
}

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString textOf(QWidget *root, const QString &name)
{
    if (auto *line = root->findChild<QLineEdit *>(name))
        return line->text();
    return QString();
}

Step text(const QString &name, const QString &value)
{
    return [=](QWidget *w) { setText(w, name, value); };
}
Step check(const QString &name, bool value)
{
    return [=](QWidget *w) { find<QCheckBox>(w, name)->setChecked(value); };
}
Step option(const QString &name)
{
    return [=](QWidget *w) { find<QRadioButton>(w, name)->setChecked(true); };
}
Step list(const QString &name, int index)
{
    return [=](QWidget *w) { find<QComboBox>(w, name)->setCurrentIndex(index); };
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

QString stored(const QString &key)
{
    return AppSettings::get(QStringLiteral("Application"), key);
}

} // namespace

class tst_FileMenu : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void changeTracking_data();
    void changeTracking();
    void newResetsButKeepsTheTitle();
    void failedOpenLeavesDefaultsAndNoFile_data();
    void failedOpenLeavesDefaultsAndNoFile();
    void cancelledSaveAsLeavesNoFile();
    void titleNamesOnlySavedOrLoadedFiles();
    void dialogsStartInTheLastFolder();
    void promptSaveChanges_data();
    void promptSaveChanges();
    void namedFileSavedWhenClosing();
    void unbuildableConfigurationIsReported();
    void startupOffer_data();
    void startupOffer();
    void startupLoadHappensOnScreen();
    void freshStartIsClean_data();
    void freshStartIsClean();
    void lastFileAndFolderComeBackAtTheNextStart();

private:
    std::unique_ptr<QTemporaryDir> m_temp; // one folder per test
    FixedClock *m_clock = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;
    frmMainWindow *m_window = nullptr;

    ConfigFileController *files() const { return m_window->files(); }
    QString folder() const { return m_temp->path(); }
    QString path(const QString &name) const { return m_temp->filePath(name); }
    void newWindow()
    {
        delete m_window;
        m_window = new frmMainWindow(DefaultInfo{"NBC", "WNBC", "4660"});
    }
    // Saves the window's configuration under the name through File > Save As....
    void saveAs(const QString &file)
    {
        m_dialogs->savePaths = {file};
        files()->mnuSaveFileAs_Click();
    }
};

void tst_FileMenu::init()
{
    TestSettings::wipe();
    m_temp = std::make_unique<QTemporaryDir>();
    m_clock = new FixedClock(QDateTime(QDate(2026, 6, 15), QTime(10, 0)));
    m_dialogs = new ScriptedDialogs;
    newWindow();
    files()->TrackChanges(true);
}

void tst_FileMenu::cleanup()
{
    delete m_window;
    m_window = nullptr;
    delete m_dialogs;
    delete m_clock;
}

void tst_FileMenu::changeTracking_data()
{
    QTest::addColumn<Step>("prepare"); // before the snapshot
    QTest::addColumn<Step>("change");  // after it
    QTest::addColumn<bool>("changed");
    const Step nothing = [](QWidget *) {};
    auto addArticles = [](QWidget *w) {
        find<QComboBox>(w, "cmbRemoveArticle")->addItems({"NEWS", "SPORTS"});
    };

    QTest::newRow("nothing") << nothing << nothing << false;
    QTest::newRow("article list text") << nothing << text("txtArticleList", "ARTICLE 1") << false;
    QTest::newRow("article removal choice")
        << Step(addArticles) << list("cmbRemoveArticle", 1) << true;
    QTest::newRow("network name") << nothing << text("txtNetworkName", "ABC") << true;
    QTest::newRow("call letters in lower case")
        << nothing << text("txtCallLetters", "wnbc") << true;
    QTest::newRow("same text again") << nothing << text("txtTSID", "4660") << false;
    QTest::newRow("Web TV script") << nothing << text("txtWebScript", "x") << true;
    QTest::newRow("check box") << nothing << check("chSyncClock", true) << true;
    QTest::newRow("option button") << nothing << option("oDecoderSettings_3") << true;
    QTest::newRow("list") << nothing << list("cmbCCLoopingTime_1", 5) << true;
    QTest::newRow("loop time left") << nothing << text("lblCCLpTimeLeft", "00:01:00") << true;
    QTest::newRow("loop file label") << nothing << text("lblCCLpCurFileName", "a.txt") << true;
    QTest::newRow("clock labels") << nothing << Step([](QWidget *w) {
        qobject_cast<frmMainWindow *>(w)->timerSecondTick_Timer();
        setText(w, "lblLocalTime_1", "12:00:00");
        setText(w, "lblLocalDate_1", "Jun 15, 2026");
        setText(w, "lblLocalTimezone_1", "-05:00");
    }) << false;
    QTest::newRow("last caption sent") << nothing << text("lblCCLoopingLastSent", "HELLO") << false;
    QTest::newRow("status bar") << nothing << Step([](QWidget *w) {
        for (auto *label : w->findChild<QStatusBar *>()->findChildren<QLabel *>())
            label->setText("Connected");
    }) << false;
}

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
    // The close request follows: a change offers to save, no change asks to exit.
    m_dialogs->answers = {Answer::Cancel};
    files()->closeRequest();
    QCOMPARE(m_dialogs->texts(), QStringList{changed ? SaveCurrentQuestion : ExitQuestion});
}

void tst_FileMenu::newResetsButKeepsTheTitle()
{
    const QString file = path("named.qcf");
    check("chCCLpInfiniteTime", true)(m_window);
    saveAs(file);
    QCOMPARE(m_window->windowTitle(), Title + " - " + file);

    text("txtNetworkName", "CHANGED")(m_window);
    option("oNetworkName_0")(m_window);
    m_dialogs->answers = {Answer::No};
    files()->mnuNew_Click();
    QCOMPARE(m_dialogs->texts(), QStringList{SaveChangesQuestion});
    QCOMPARE(textOf(m_window, "txtNetworkName"), QStringLiteral("NBC"));
    QVERIFY(find<QRadioButton>(m_window, "oNetworkName_2")->isChecked());
    QVERIFY(m_window->CurrentConfigFile.isEmpty());
    QCOMPARE(m_window->windowTitle(), Title + " - " + file);
    QVERIFY(!files()->TrackChanges(false));
    QVERIFY(find<QCheckBox>(m_window, "chCCLpInfiniteTime")->isChecked());
}

void tst_FileMenu::failedOpenLeavesDefaultsAndNoFile_data()
{
    QTest::addColumn<QByteArray>("contents");  // empty: no file at all
    QTest::addColumn<QStringList>("messages"); // after the offer to save
    Configuration wrongOption;
    wrongOption.oNetworkName = 5;
    wrongOption.txtProgramName = QStringLiteral("From File");
    const QByteArray valid = ConfigCodec::encode(Configuration()).bytes;

    QTest::newRow("not a configuration file")
        << QByteArray("not a configuration") << QStringList{InvalidFile};
    QTest::newRow("first byte differs")
        << QByteArray("X" + valid.mid(1)) << QStringList{InvalidFile};
    QTest::newRow("ends in its header") << valid.left(30) << QStringList{CouldNotOpen};
    QTest::newRow("missing file") << QByteArray() << QStringList{CouldNotOpen};
    QTest::newRow("import error answered No")
        << ConfigCodec::encode(wrongOption).bytes << QStringList{ImportQuestion};
}

void tst_FileMenu::failedOpenLeavesDefaultsAndNoFile()
{
    QFETCH(QByteArray, contents);
    QFETCH(QStringList, messages);
    QFile corrupt(path("corrupt.qcf"));
    if (!contents.isEmpty()) {
        QVERIFY(corrupt.open(QIODevice::WriteOnly));
        corrupt.write(contents);
        corrupt.close();
    }
    m_window->LoadPath = folder() + "/";

    text("txtProgramName", "Old Show")(m_window);
    option("oCallLetters_0")(m_window);
    m_dialogs->answers = {Answer::No, Answer::No};
    m_dialogs->openPaths = {corrupt.fileName()};
    files()->mnuOpenFile_Click();

    QCOMPARE(m_dialogs->texts(), QStringList{SaveCurrentQuestion} + messages);
    for (int i = 1; i < m_dialogs->shown.size(); ++i)
        QCOMPARE(m_dialogs->shown[i].icon, DialogService::Icon::Warning);
    QCOMPARE(m_dialogs->dialogTitles, QStringList{"Open File"});
    QCOMPARE(m_dialogs->dialogFilters, QStringList{"Orvane Configuration Files (.qcf)|*.qcf"});
    QCOMPARE(m_dialogs->dialogFolders, QStringList{folder() + "/"});
    // Only the defaults: neither the previous configuration nor what the file held.
    QVERIFY(textOf(m_window, "txtProgramName").isEmpty());
    QVERIFY(find<QRadioButton>(m_window, "oCallLetters_2")->isChecked());
    QCOMPARE(textOf(m_window, "txtNetworkName"), QStringLiteral("NBC"));
    QVERIFY(m_window->CurrentConfigFile.isEmpty());
    QCOMPARE(m_window->windowTitle(), Title);
    QVERIFY(!files()->TrackChanges(false));
}

void tst_FileMenu::cancelledSaveAsLeavesNoFile()
{
    const QString file = path("first.qcf");
    saveAs(file);
    const QByteArray before = contentsOf(file);

    text("txtProgramName", "Edited")(m_window);
    m_dialogs->clear();
    files()->mnuSaveFileAs_Click(); // cancelled
    QCOMPARE(m_dialogs->dialogTitles, QStringList{"Save File"});
    QCOMPARE(m_dialogs->dialogFilters, QStringList{"Orvane Configuration File (.qcf)|*.qcf"});
    QVERIFY(m_window->CurrentConfigFile.isEmpty());
    QCOMPARE(contentsOf(file), before);
    QCOMPARE(QDir(folder()).entryList(QDir::Files), QStringList{"first.qcf"});

    // The edit counts as seen: closing asks to exit instead of offering to save.
    m_dialogs->answers = {Answer::No};
    QVERIFY(!files()->closeRequest());
    QCOMPARE(m_dialogs->texts(), QStringList{ExitQuestion});
    QCOMPARE(m_dialogs->shown[0].icon, DialogService::Icon::None);
    QCOMPARE(m_dialogs->shown[0].buttons, DialogService::Buttons::YesNo);
    m_dialogs->answers = {Answer::Yes};
    QVERIFY(files()->closeRequest());
}

void tst_FileMenu::titleNamesOnlySavedOrLoadedFiles()
{
    QCOMPARE(m_window->windowTitle(), Title);
    saveAs(path("no/such/folder/x.qcf"));
    QCOMPARE(m_dialogs->texts(), QStringList{WriteFailed});
    QCOMPARE(m_window->windowTitle(), Title);
    QVERIFY(m_window->CurrentConfigFile.isEmpty());

    const QString a = path("a.qcf");
    const QString b = path("b.qcf");
    saveAs(b);
    files()->mnuSaveFile_Click(); // saves to the current file without asking
    QCOMPARE(m_dialogs->dialogTitles.size(), 2);
    saveAs(a);
    QCOMPARE(m_window->windowTitle(), Title + " - " + a);

    m_dialogs->openPaths = {b};
    files()->mnuOpenFile_Click();
    QCOMPARE(m_window->windowTitle(), Title + " - " + b);
    QCOMPARE(m_window->CurrentConfigFile, b);

    files()->mnuNew_Click();
    QCOMPARE(m_window->windowTitle(), Title + " - " + b);
    m_dialogs->clear();
    files()->mnuOpenFile_Click(); // cancelled: the previous file is forgotten
    QVERIFY(m_window->CurrentConfigFile.isEmpty());
    QCOMPARE(m_window->windowTitle(), Title + " - " + b);
}

void tst_FileMenu::dialogsStartInTheLastFolder()
{
    QVERIFY(QDir(folder()).mkpath("one/two"));
    m_window->LoadPath = QStringLiteral("/start/");
    saveAs(path("one/two/x.qcf"));
    QCOMPARE(m_window->LoadPath, path("one/two/"));
    m_dialogs->openPaths = {path("one/x.qcf")};
    files()->mnuOpenFile_Click();
    QCOMPARE(m_dialogs->dialogFolders, (QStringList{"/start/", path("one/two/")}));
    QCOMPARE(m_window->LoadPath, path("one/"));
    // A cancelled dialog keeps the folder.
    files()->mnuSaveFileAs_Click();
    QCOMPARE(m_window->LoadPath, path("one/"));
}

void tst_FileMenu::promptSaveChanges_data()
{
    QTest::addColumn<bool>("named");
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<QStringList>("savePaths");
    QTest::addColumn<bool>("result");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("stillNamed");

    QTest::newRow("no file: Yes and a name")
        << false << QList<Answer>{Answer::Yes} << QStringList{"new.qcf"} << true << true << true;
    QTest::newRow("no file: Yes, dialog cancelled")
        << false << QList<Answer>{Answer::Yes} << QStringList() << false << false << false;
    QTest::newRow("no file: Yes, write fails")
        << false << QList<Answer>{Answer::Yes} << QStringList{"missing/new.qcf"} << false << false
        << false;
    QTest::newRow("no file: No") << false << QList<Answer>{Answer::No} << QStringList() << true
                                 << false << false;
    QTest::newRow("no file: Cancel")
        << false << QList<Answer>{Answer::Cancel} << QStringList() << false << false << false;
    QTest::newRow("named: Yes") << true << QList<Answer>{Answer::Yes} << QStringList() << true
                                << true << true;
    QTest::newRow("named: No") << true << QList<Answer>{Answer::No} << QStringList() << true
                               << false << true;
    QTest::newRow("named: Cancel")
        << true << QList<Answer>{Answer::Cancel} << QStringList() << false << false << true;
}

void tst_FileMenu::promptSaveChanges()
{
    QFETCH(bool, named);
    QFETCH(QList<Answer>, answers);
    QFETCH(QStringList, savePaths);
    QFETCH(bool, result);
    QFETCH(bool, written);
    QFETCH(bool, stillNamed);
    const QString namedFile = path("named.qcf");
    if (named)
        saveAs(namedFile);
    const QString target = named ? namedFile : path("new.qcf");
    const QByteArray before = contentsOf(target);

    text("txtProgramName", "Edited")(m_window);
    m_dialogs->clear();
    m_dialogs->answers = answers;
    for (const QString &name : savePaths)
        m_dialogs->savePaths << path(name);
    QCOMPARE(files()->PromptSaveChanges(), result);
    QCOMPARE(m_dialogs->shown.first().text, named ? SaveChangesQuestion : SaveCurrentQuestion);
    QCOMPARE(m_dialogs->shown.first().buttons, DialogService::Buttons::YesNoCancel);
    QCOMPARE(m_dialogs->shown.first().icon, DialogService::Icon::Warning);
    QCOMPARE(contentsOf(target) != before, written);
    QCOMPARE(!m_window->CurrentConfigFile.isEmpty(), stillNamed);
    // The snapshot is taken exactly when the caller may go on.
    QCOMPARE(files()->TrackChanges(false), !result);
    // Saving to a newly chosen file leaves the title alone.
    QCOMPARE(m_window->windowTitle(), named ? Title + " - " + namedFile : Title);
}

void tst_FileMenu::namedFileSavedWhenClosing()
{
    const QString file = path("closing.qcf");
    saveAs(file);
    text("txtProgramName", "Late Show")(m_window);
    m_dialogs->answers = {Answer::Yes};
    QVERIFY(files()->closeRequest());

    newWindow();
    m_window->CurrentConfigFile = file;
    m_dialogs->answers = {Answer::Yes};
    files()->startupOffer();
    QCOMPARE(textOf(m_window, "txtProgramName"), QStringLiteral("Late Show"));

    // A write that fails shows its message and the window still closes.
    QVERIFY(QFile::remove(file));
    QVERIFY(QDir(folder()).mkpath("closing.qcf/inside"));
    text("txtProgramName", "Later Show")(m_window);
    m_dialogs->clear();
    m_dialogs->answers = {Answer::Yes};
    QVERIFY(files()->closeRequest());
    QCOMPARE(m_dialogs->texts(), (QStringList{SaveChangesQuestion, WriteFailed}));
}

void tst_FileMenu::unbuildableConfigurationIsReported()
{
    // A URL as long as the box takes: the file would pass the format's 32767 bytes.
    text("txtWebURL", QString(32767, QLatin1Char('u')))(m_window);
    saveAs(path("huge.qcf"));
    QCOMPARE(m_dialogs->shown.size(), 1);
    QCOMPARE(m_dialogs->shown[0].title, QStringLiteral("Error"));
    QVERIFY(m_dialogs->shown[0].text.startsWith("Error saving file\r\n\r\n"));
    QVERIFY(!QFile::exists(path("huge.qcf")));
    QCOMPARE(m_window->windowTitle(), Title);
    QVERIFY(files()->TrackChanges(false)); // no closing snapshot after a failure
}

void tst_FileMenu::startupOffer_data()
{
    QTest::addColumn<bool>("lastFile");
    QTest::addColumn<Answer>("answer");
    QTest::newRow("Yes loads the last file") << true << Answer::Yes;
    QTest::newRow("No forgets it") << true << Answer::No;
    QTest::newRow("no last file") << false << Answer::Yes;
}

void tst_FileMenu::startupOffer()
{
    QFETCH(bool, lastFile);
    QFETCH(Answer, answer);
    const QString file = path("last.qcf");
    text("txtProgramName", "From File")(m_window);
    option("oNetworkName_1")(m_window);
    saveAs(file);

    newWindow();
    m_window->CurrentConfigFile = lastFile ? file : QString();
    m_dialogs->clear();
    m_dialogs->answers = {answer};
    files()->startupOffer();

    const bool loads = lastFile && answer == Answer::Yes;
    if (lastFile) {
        QCOMPARE(m_dialogs->texts(), QStringList{"Would you like to load " + file + "?"});
        QCOMPARE(m_dialogs->shown[0].icon, DialogService::Icon::Information);
        QCOMPARE(m_dialogs->shown[0].buttons, DialogService::Buttons::YesNo);
    } else {
        QVERIFY(m_dialogs->shown.isEmpty());
    }
    QCOMPARE(textOf(m_window, "txtProgramName"), loads ? QString("From File") : QString());
    QCOMPARE(find<QRadioButton>(m_window, "oNetworkName_1")->isChecked(), loads);
    QCOMPARE(m_window->CurrentConfigFile, loads ? file : QString());
    QCOMPARE(m_window->windowTitle(), loads ? Title + " - " + file : Title);
    QVERIFY(!m_window->isVisible());
    QVERIFY(!files()->TrackChanges(false));
}

void tst_FileMenu::startupLoadHappensOnScreen()
{
    // An expiry month that the lists of today no longer hold: a message during the load.
    Configuration stored = ConfigurationBinder::read(m_window);
    stored.txtProgramName = QStringLiteral("From File");
    stored.cmbWebExpiryYear = 1; // 2026
    stored.cmbWebExpiryMonth = 12;
    const QString file = path("late.qcf");
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(ConfigCodec::encode(stored).bytes);
    out.close();

    delete m_dialogs;
    auto *watch = new VisibilityWatch;
    m_dialogs = watch;
    newWindow();
    watch->window = m_window;
    m_window->CurrentConfigFile = file;
    watch->answers = {Answer::Yes};
    m_window->offerLastFile();

    QCOMPARE(watch->texts(), (QStringList{"Would you like to load " + file + "?", MonthMessage}));
    // Asked before the window shows; shown while the file loads; hidden again for the start-up
    // to show it.
    QCOMPARE(watch->visibleAtMessage, (QList<bool>{false, true}));
    QVERIFY(!m_window->isVisible());
    QCOMPARE(textOf(m_window, "txtProgramName"), QStringLiteral("From File"));
    QVERIFY(!files()->TrackChanges(false));
}

void tst_FileMenu::freshStartIsClean_data()
{
    QTest::addColumn<bool>("withLastFile");
    QTest::newRow("no last file") << false;
    QTest::newRow("last file loaded") << true;
}

// Started as the program starts (offer, then shown) and left alone for a few clock ticks, the
// window closes with the plain exit question.
void tst_FileMenu::freshStartIsClean()
{
    QFETCH(bool, withLastFile);
    const QString file = path("last.qcf");
    option("oNetworkName_0")(m_window);
    check("chCtrlNetworkName", true)(m_window);
    text("txtProgramName", "From File")(m_window);
    saveAs(file);

    newWindow();
    m_window->CurrentConfigFile = withLastFile ? file : QString();
    m_dialogs->clear();
    m_window->offerLastFile();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    for (int tick = 0; tick < 3; ++tick) {
        m_window->timerSecondTick_Timer();
        QCoreApplication::processEvents();
    }
    m_dialogs->clear();
    m_dialogs->answers = {Answer::No};
    QVERIFY(!files()->closeRequest());
    QCOMPARE(m_dialogs->texts(), QStringList{ExitQuestion});
}

void tst_FileMenu::lastFileAndFolderComeBackAtTheNextStart()
{
    QVERIFY(QDir(folder()).mkpath("plant"));
    const QString file = path("plant/news.qcf");
    text("txtProgramName", "News")(m_window);
    saveAs(file);
    m_dialogs->answers = {Answer::Yes}; // "Are you sure you want to exit?"
    QVERIFY(m_window->close());
    QCOMPARE(m_dialogs->texts(), QStringList{ExitQuestion});
    QCOMPARE(stored("Last File"), file);
    QCOMPARE(stored("Load Path"), path("plant/"));

    newWindow();
    QCOMPARE(m_window->CurrentConfigFile, file);
    QCOMPARE(m_window->LoadPath, path("plant/"));
    m_dialogs->clear();
    m_dialogs->answers = {Answer::Yes};
    m_window->offerLastFile();
    QCOMPARE(m_dialogs->texts(), QStringList{"Would you like to load " + file + "?"});
    QCOMPARE(textOf(m_window, "txtProgramName"), QStringLiteral("News"));
    QCOMPARE(m_window->windowTitle(), Title + " - " + file);

    // Without a current file at the end of a run, the stored one stays.
    files()->mnuNew_Click();
    m_dialogs->clear();
    QVERIFY(m_window->close());
    QCOMPARE(stored("Last File"), file);

    // Declining the offer forgets the file for this run only.
    newWindow();
    m_dialogs->clear();
    m_dialogs->answers = {Answer::No};
    m_window->offerLastFile();
    QVERIFY(m_window->CurrentConfigFile.isEmpty());
    QVERIFY(textOf(m_window, "txtProgramName").isEmpty());
    QCOMPARE(m_window->windowTitle(), Title);
    QVERIFY(m_window->close());
    QCOMPARE(stored("Last File"), file);
}

QTEST_MAIN(tst_FileMenu)
#include "tst_filemenu.moc"
