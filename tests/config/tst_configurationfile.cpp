#include "FixedClock.h"
#include "ScriptedDialogs.h"
#include "config/ConfigCodec.h"
#include "config/ConfigurationFile.h"

#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(Configuration)

namespace {

const QString ImportQuestion =
    QStringLiteral("An error has occurred while importing the file.  Would you like to continue?");
const QString MonthMessage =
    QStringLiteral("The Web Expiry Month could not be applied.  Please set by hand.");
const QString DayMessage =
    QStringLiteral("The Web Expiry Day could not be applied.  Please set by hand.");
const QString WriteFailed = QStringLiteral("There was an error when trying to open and write to "
                                           "the file.  It might be in use by another application.");

QDateTime at(int year, int month, int day)
{
    return QDateTime(QDate(year, month, day), QTime(9, 30));
}

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A configuration with one change, and the last entry set to see whether the load went on.
Configuration with(const std::function<void(Configuration &)> &change)
{
    Configuration c;
    c.oCGMS = 0;
    change(c);
    return c;
}

} // namespace

class tst_ConfigurationFile : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dialogs.clear();
        m_clock.set(at(2026, 6, 15));
    }

    void unreadableFilesCannotBeOpened_data();
    void unreadableFilesCannotBeOpened();
    void rejectedValuesRaiseTheImportQuestion_data();
    void rejectedValuesRaiseTheImportQuestion();
    void ratingSurvivesItsSystem_data();
    void ratingSurvivesItsSystem();
    void expiryDatesFollowToday_data();
    void expiryDatesFollowToday();
    void fileEndingEarlyKeepsWhatWasRead();
    void failedWriteKeepsTheOldFile();

private:
    QTemporaryDir m_dir;
    FixedClock m_clock{at(2026, 6, 15)};
    ScriptedDialogs m_dialogs;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    // Writes the configuration as it is, without asking whether the controls would take it.
    QString fileOf(const Configuration &c, int chop = 0)
    {
        QFile file(path(QStringLiteral("c.qcf")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QString();
        file.write(ConfigCodec::encode(c).bytes.chopped(chop));
        return file.fileName();
    }
    bool load(const QString &file, Configuration &c, DialogService::Answer answer)
    {
        m_dialogs.clear();
        m_dialogs.answers = {answer};
        return ConfigurationFile::LoadConfiguration(file, c, nullptr);
    }
};

void tst_ConfigurationFile::unreadableFilesCannotBeOpened_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing file") << QStringLiteral("missing.qcf");
    QTest::newRow("a folder") << QStringLiteral("folder.qcf");
    QTest::newRow("a pipe") << QStringLiteral("pipe.qcf");
    QTest::newRow("a device") << QStringLiteral("/dev/zero");
}

void tst_ConfigurationFile::unreadableFilesCannotBeOpened()
{
    QFETCH(QString, name);
    QDir(m_dir.path()).mkdir(QStringLiteral("folder.qcf"));
    // A pipe with a writer that never writes: reading it would wait for ever.
    const QByteArray pipe = QFile::encodeName(path(QStringLiteral("pipe.qcf")));
    QVERIFY(::mkfifo(pipe.constData(), 0600) == 0);
    const int writer = ::open(pipe.constData(), O_RDWR | O_NONBLOCK);
    QVERIFY(writer >= 0);
    Configuration c;
    c.txtNetworkName = QStringLiteral("KEEP");
    const Configuration before = c;
    // A load that waits ends the test program (and fails it) instead of hanging it.
    ::alarm(10);
    const bool loaded = ConfigurationFile::LoadConfiguration(
        name.startsWith(QLatin1Char('/')) ? name : path(name), c, nullptr);
    ::alarm(0);
    ::close(writer);
    QFile::remove(QFile::decodeName(pipe));
    QVERIFY(!loaded);
    QCOMPARE(m_dialogs.texts(),
             QStringList{QStringLiteral("The file could not be opened.  Please make sure it is "
                                        "not in use by another application.")});
    QCOMPARE(m_dialogs.shown[0].buttons, DialogService::Buttons::Ok);
    QVERIFY(c == before);
}

void tst_ConfigurationFile::rejectedValuesRaiseTheImportQuestion_data()
{
    QTest::addColumn<Configuration>("stored");
    QTest::addColumn<bool>("asked");
    using C = Configuration &;
    QTest::newRow("check value 2 is taken") << with([](C c) { c.chCtrlTSID = 2; }) << false;
    QTest::newRow("check value 3") << with([](C c) { c.chCtrlTSID = 3; }) << true;
    QTest::newRow("Web TV has two options") << with([](C c) { c.oWebTV = 2; }) << true;
    QTest::newRow("decoder Off is the last option")
        << with([](C c) { c.oDecoderSettings = 10; }) << false;
    QTest::newRow("decoder beyond Off") << with([](C c) { c.oDecoderSettings = 11; }) << true;
    QTest::newRow("US-TV rating 6 is TV-MA") << with([](C c) { c.cmbProgramRating = 6; }) << false;
    QTest::newRow("CDN-Fr has no rating 6")
        << with([](C c) { c.cmbProgRatingSys = 3, c.cmbProgramRating = 6; }) << true;
    QTest::newRow("APS list with Not Applicable")
        << with([](C c) { c.cmbCGMSOptions = 4; }) << false;
    QTest::newRow("APS list without Not Applicable")
        << with([](C c) { c.cmbCGMS = 2, c.cmbCGMSOptions = 4; }) << true;
    QTest::newRow("looping hours beyond 23") << with([](C c) {
        c.cmbCCLoopingTime = {24, 0, 0};
    }) << true;
    QTest::newRow("looping seconds 59") << with([](C c) {
        c.cmbCCLoopingTime = {0, 0, 59};
    }) << false;
}

// Yes goes on with the next entries; No stops the load there.
void tst_ConfigurationFile::rejectedValuesRaiseTheImportQuestion()
{
    QFETCH(Configuration, stored);
    QFETCH(bool, asked);
    const QString file = fileOf(stored);
    Configuration loaded;
    QVERIFY(load(file, loaded, DialogService::Answer::Yes));
    QCOMPARE(m_dialogs.texts(), asked ? QStringList{ImportQuestion} : QStringList());
    QCOMPARE(loaded.oCGMS, 0);
    if (!asked) {
        QVERIFY(loaded == stored);
        return;
    }
    QCOMPARE(m_dialogs.shown[0].buttons, DialogService::Buttons::YesNo);
    Configuration refused;
    QVERIFY(!load(file, refused, DialogService::Answer::No));
    QCOMPARE(refused.oCGMS, 2);
}

void tst_ConfigurationFile::ratingSurvivesItsSystem_data()
{
    QTest::addColumn<int>("system");
    QTest::addColumn<int>("rating");
    QTest::addColumn<QVector<int>>("flags");
    QTest::newRow("MPA Not Rated") << 0 << 7 << QVector<int>(5, 0);
    QTest::newRow("CDN-Fr 18 ans +") << 3 << 5 << QVector<int>(5, 0);
}

void tst_ConfigurationFile::ratingSurvivesItsSystem()
{
    QFETCH(int, system);
    QFETCH(int, rating);
    QFETCH(QVector<int>, flags);
    Configuration stored;
    stored.cmbProgRatingSys = system;
    stored.cmbProgramRating = rating;
    stored.chProgramRatingFlags = flags;
    Configuration loaded;
    loaded.cmbProgramRating = 2; // what the window showed before
    QVERIFY(load(fileOf(stored), loaded, DialogService::Answer::No));
    QCOMPARE(m_dialogs.texts(), QStringList());
    QVERIFY(loaded == stored);
}

void tst_ConfigurationFile::expiryDatesFollowToday_data()
{
    QTest::addColumn<QDateTime>("loadedAt");
    QTest::addColumn<int>("dayIndex");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QVector<int>>("values"); // year, month, day

    // Saved on 15 June 2026 with 31 December 2026: year entry 1, month entry 7 (June is 1),
    // day entry 31.
    QTest::newRow("same day") << at(2026, 6, 15) << 31 << QStringList()
                              << QVector<int>{2026, 12, 31};
    QTest::newRow("November: month list too short")
        << at(2026, 11, 10) << 31 << QStringList{MonthMessage, DayMessage}
        << QVector<int>{2026, 0, 0};
    QTest::newRow("day beyond December")
        << at(2026, 6, 15) << 32 << QStringList{DayMessage} << QVector<int>{2026, 12, 0};
}

void tst_ConfigurationFile::expiryDatesFollowToday()
{
    QFETCH(QDateTime, loadedAt);
    QFETCH(int, dayIndex);
    QFETCH(QStringList, messages);
    QFETCH(QVector<int>, values);
    Configuration stored;
    stored.cmbWebExpiryYear = 1;
    stored.cmbWebExpiryMonth = 7;
    stored.cmbWebExpiryDay = dayIndex;
    const QString file = fileOf(stored);

    m_clock.set(loadedAt);
    Configuration loaded;
    QVERIFY(load(file, loaded, DialogService::Answer::No));
    QCOMPARE(m_dialogs.texts(), messages);
    for (const auto &shown : qAsConst(m_dialogs.shown))
        QCOMPARE(shown.icon, DialogService::Icon::Warning);
    QCOMPARE(loaded.cmbWebExpiryYear, 1);
    QCOMPARE(QVector<int>(
                 {loaded.webExpiryYearValue, loaded.webExpiryMonthValue, loaded.webExpiryDayValue}),
             values);
}

// Yes to the import question keeps what was read before the end of the file.
void tst_ConfigurationFile::fileEndingEarlyKeepsWhatWasRead()
{
    Configuration stored;
    stored.txtNetworkName = QStringLiteral("FIRST");
    stored.chCtrlCGMS = 1;
    stored.oCGMS = 0; // the last entry, cut away
    Configuration loaded;
    QVERIFY(load(fileOf(stored, 1), loaded, DialogService::Answer::Yes));
    QCOMPARE(m_dialogs.texts(), QStringList{ImportQuestion});
    QCOMPARE(loaded.txtNetworkName, QStringLiteral("FIRST"));
    QCOMPARE(loaded.chCtrlCGMS, 1);
    QCOMPARE(loaded.oCGMS, 2);
}

void tst_ConfigurationFile::failedWriteKeepsTheOldFile()
{
    Configuration c;
    c.txtNetworkName = QStringLiteral("NEW");
    const QString missing = path(QStringLiteral("no/such/folder/x.qcf"));
    QVERIFY(!ConfigurationFile::SaveConfiguration(missing, c, nullptr));
    QCOMPARE(m_dialogs.texts(), QStringList{WriteFailed});
    QCOMPARE(m_dialogs.shown[0].icon, DialogService::Icon::Warning);
    QVERIFY(!QFile::exists(missing));

    // A name taken by a folder with something in it: nothing of it is replaced, and no
    // half-written file is left beside it.
    QDir dir(m_dir.path());
    QVERIFY(dir.mkpath(QStringLiteral("taken.qcf")));
    QFile inside(path(QStringLiteral("taken.qcf/keep.txt")));
    QVERIFY(inside.open(QIODevice::WriteOnly) && inside.write("old") == 3);
    inside.close();
    const QStringList before = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QVERIFY(!ConfigurationFile::SaveConfiguration(path(QStringLiteral("taken.qcf")), c, nullptr));
    QCOMPARE(m_dialogs.texts(), (QStringList{WriteFailed, WriteFailed}));
    QCOMPARE(contentsOf(inside.fileName()), QByteArray("old"));
    QCOMPARE(dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

QTEST_GUILESS_MAIN(tst_ConfigurationFile)
#include "tst_configurationfile.moc"
