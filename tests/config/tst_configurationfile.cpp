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

} // namespace

class tst_ConfigurationFile : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void unreadableFilesCannotBeOpened_data();
    void unreadableFilesCannotBeOpened();
    void rejectedValuesRaiseTheImportQuestion_data();
    void rejectedValuesRaiseTheImportQuestion();
    void answeringNoStopsTheLoad();
    void ratingSurvivesItsSystem_data();
    void ratingSurvivesItsSystem();
    void expiryDatesFollowToday_data();
    void expiryDatesFollowToday();
    void fileEndingEarlyKeepsWhatWasRead();
    void emptyCaptionLoopFileRoundTrips();
    void failedWriteKeepsTheOldFile();
    void unbuildableConfigurationLeavesTheFileAlone();
    void saveReplacesTheWholeFile();

private:
    QTemporaryDir m_dir;
    FixedClock *m_clock = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    // Writes the configuration as it is, without asking whether the controls would take it.
    QString fileOf(const Configuration &c, const QString &name = QStringLiteral("c.qcf"))
    {
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QString();
        file.write(ConfigCodec::encode(c).bytes);
        return file.fileName();
    }
};

void tst_ConfigurationFile::init()
{
    m_clock = new FixedClock(at(2026, 6, 15));
    m_dialogs = new ScriptedDialogs;
}

void tst_ConfigurationFile::cleanup()
{
    delete m_dialogs;
    delete m_clock;
}

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
    QVERIFY(::mkfifo(QFile::encodeName(path(QStringLiteral("pipe.qcf"))).constData(), 0600) == 0);
    const int writer = ::open(QFile::encodeName(path(QStringLiteral("pipe.qcf"))).constData(),
                              O_RDWR | O_NONBLOCK);
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
    QFile::remove(path(QStringLiteral("pipe.qcf")));
    QVERIFY(!loaded);
    QCOMPARE(m_dialogs->texts(),
             QStringList{QStringLiteral("The file could not be opened.  Please make sure it is "
                                        "not in use by another application.")});
    QCOMPARE(m_dialogs->shown[0].buttons, DialogService::Buttons::Ok);
    QCOMPARE(m_dialogs->shown[0].icon, DialogService::Icon::Warning);
    QVERIFY(c == before);
}

void tst_ConfigurationFile::rejectedValuesRaiseTheImportQuestion_data()
{
    QTest::addColumn<Configuration>("stored");
    QTest::addColumn<bool>("asked");
    auto with = [](auto change) {
        Configuration c;
        c.txtCallLetters = QStringLiteral("WLAST"); // a later entry, to see the load go on
        change(c);
        return c;
    };
    QTest::newRow("check value 2 is taken")
        << with([](Configuration &c) { c.chCtrlTSID = 2; }) << false;
    QTest::newRow("check value 3") << with([](Configuration &c) { c.chCtrlTSID = 3; }) << true;
    QTest::newRow("flag value 3") << with([](Configuration &c) { c.chBlockingSettings[8] = 3; })
                                  << true;
    QTest::newRow("option beyond its group")
        << with([](Configuration &c) { c.oNetworkName = 3; }) << true;
    QTest::newRow("Web TV has two options") << with([](Configuration &c) { c.oWebTV = 2; }) << true;
    QTest::newRow("decoder Off is the last option")
        << with([](Configuration &c) { c.oDecoderSettings = 10; }) << false;
    QTest::newRow("decoder beyond Off")
        << with([](Configuration &c) { c.oDecoderSettings = 11; }) << true;
    QTest::newRow("rating system beyond the four")
        << with([](Configuration &c) { c.cmbProgRatingSys = 4; }) << true;
    QTest::newRow("US-TV rating 6 is TV-MA")
        << with([](Configuration &c) { c.cmbProgramRating = 6; }) << false;
    QTest::newRow("CDN-Fr has no rating 6") << with([](Configuration &c) {
        c.cmbProgRatingSys = 3;
        c.cmbProgramRating = 6;
    }) << true;
    QTest::newRow("year beyond the list")
        << with([](Configuration &c) { c.cmbWebExpiryYear = 7; }) << true;
    QTest::newRow("CGMS beyond its three") << with([](Configuration &c) { c.cmbCGMS = 3; }) << true;
    QTest::newRow("APS list with Not Applicable")
        << with([](Configuration &c) { c.cmbCGMSOptions = 4; }) << false;
    QTest::newRow("APS list without Not Applicable") << with([](Configuration &c) {
        c.cmbCGMS = 2;
        c.cmbCGMSOptions = 4;
    }) << true;
    QTest::newRow("looping hours beyond 23") << with([](Configuration &c) {
        c.cmbCCLoopingTime = {24, 0, 0};
    }) << true;
    QTest::newRow("looping seconds 59") << with([](Configuration &c) {
        c.cmbCCLoopingTime = {0, 0, 59};
    }) << false;
}

void tst_ConfigurationFile::rejectedValuesRaiseTheImportQuestion()
{
    QFETCH(Configuration, stored);
    QFETCH(bool, asked);
    m_dialogs->answers = {DialogService::Answer::Yes};
    Configuration loaded;
    QVERIFY(ConfigurationFile::LoadConfiguration(fileOf(stored), loaded, nullptr));
    QCOMPARE(m_dialogs->texts(), asked ? QStringList{ImportQuestion} : QStringList());
    if (asked) {
        QCOMPARE(m_dialogs->shown[0].buttons, DialogService::Buttons::YesNo);
        QCOMPARE(m_dialogs->shown[0].icon, DialogService::Icon::Warning);
    } else {
        QVERIFY(loaded == stored);
    }
    // Yes goes on with the next entries.
    QCOMPARE(loaded.txtCallLetters, QStringLiteral("WLAST"));
}

void tst_ConfigurationFile::answeringNoStopsTheLoad()
{
    Configuration stored;
    stored.oNetworkName = 7;
    stored.txtCallLetters = QStringLiteral("WLAST");
    m_dialogs->answers = {DialogService::Answer::No};
    Configuration loaded;
    QVERIFY(!ConfigurationFile::LoadConfiguration(fileOf(stored), loaded, nullptr));
    QCOMPARE(m_dialogs->texts(), QStringList{ImportQuestion});
    QCOMPARE(loaded.oNetworkName, 2);
    QVERIFY(loaded.txtCallLetters.isEmpty());
}

void tst_ConfigurationFile::ratingSurvivesItsSystem_data()
{
    QTest::addColumn<int>("system");
    QTest::addColumn<int>("rating");
    QTest::addColumn<QVector<int>>("flags");
    QTest::newRow("MPA Not Rated") << 0 << 7 << QVector<int>(5, 0);
    QTest::newRow("US-TV TV-PG with V and L") << 1 << 4 << QVector<int>{0, 1, 0, 1, 0};
    QTest::newRow("CDN-E 18+") << 2 << 6 << QVector<int>(5, 0);
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
    QVERIFY(ConfigurationFile::LoadConfiguration(fileOf(stored), loaded, nullptr));
    QCOMPARE(m_dialogs->texts(), QStringList());
    QCOMPARE(loaded.cmbProgRatingSys, system);
    QCOMPARE(loaded.cmbProgramRating, rating);
    QCOMPARE(loaded.chProgramRatingFlags, flags);
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

    m_clock->set(loadedAt);
    Configuration loaded;
    QVERIFY(ConfigurationFile::LoadConfiguration(file, loaded, nullptr));
    QCOMPARE(m_dialogs->texts(), messages);
    for (const auto &shown : qAsConst(m_dialogs->shown)) {
        QCOMPARE(shown.buttons, DialogService::Buttons::Ok);
        QCOMPARE(shown.icon, DialogService::Icon::Warning);
    }
    QCOMPARE(loaded.cmbWebExpiryYear, 1);
    QCOMPARE(QVector<int>(
                 {loaded.webExpiryYearValue, loaded.webExpiryMonthValue, loaded.webExpiryDayValue}),
             values);
}

void tst_ConfigurationFile::fileEndingEarlyKeepsWhatWasRead()
{
    Configuration stored;
    stored.txtNetworkName = QStringLiteral("FIRST");
    stored.chCtrlCGMS = 1;
    stored.oCGMS = 0; // the last entry, cut away below
    QByteArray bytes = ConfigCodec::encode(stored).bytes;
    bytes.chop(1);
    QFile file(path(QStringLiteral("cut.qcf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    // Yes: the load completes with what was read.
    Configuration loaded;
    QVERIFY(ConfigurationFile::LoadConfiguration(file.fileName(), loaded, nullptr));
    QCOMPARE(m_dialogs->texts(), QStringList{ImportQuestion});
    QCOMPARE(loaded.txtNetworkName, QStringLiteral("FIRST"));
    QCOMPARE(loaded.chCtrlCGMS, 1);
    QCOMPARE(loaded.oCGMS, 2);

    m_dialogs->clear();
    m_dialogs->answers = {DialogService::Answer::No};
    Configuration refused;
    QVERIFY(!ConfigurationFile::LoadConfiguration(file.fileName(), refused, nullptr));
}

void tst_ConfigurationFile::emptyCaptionLoopFileRoundTrips()
{
    Configuration stored;
    QVERIFY(ConfigurationFile::SaveConfiguration(path(QStringLiteral("e.qcf")), stored, nullptr));
    const ConfigCodec::Decoded decoded =
        ConfigCodec::decode(contentsOf(path(QStringLiteral("e.qcf"))));
    QCOMPARE(decoded.entries.at(42).number, 43);
    QCOMPARE(decoded.entries.at(42).text, QString());

    Configuration loaded;
    loaded.captionLoopFile = QStringLiteral("/before/loop.txt");
    stored.captionLoopFile = QStringLiteral("/captions/loop.txt");
    QVERIFY(ConfigurationFile::SaveConfiguration(path(QStringLiteral("f.qcf")), stored, nullptr));
    QVERIFY(ConfigurationFile::LoadConfiguration(path(QStringLiteral("f.qcf")), loaded, nullptr));
    QCOMPARE(loaded.captionLoopFile, QStringLiteral("/captions/loop.txt"));
}

void tst_ConfigurationFile::failedWriteKeepsTheOldFile()
{
    Configuration c;
    c.txtNetworkName = QStringLiteral("NEW");

    // A folder that does not exist.
    const QString missing = path(QStringLiteral("no/such/folder/x.qcf"));
    QVERIFY(!ConfigurationFile::SaveConfiguration(missing, c, nullptr));
    QCOMPARE(m_dialogs->texts(), QStringList{WriteFailed});
    QCOMPARE(m_dialogs->shown[0].icon, DialogService::Icon::Warning);
    QVERIFY(!QFile::exists(missing));

    // A name taken by a folder with something in it: nothing of it is replaced, and no
    // half-written file is left beside it.
    m_dialogs->clear();
    QDir dir(m_dir.path());
    QVERIFY(dir.mkpath(QStringLiteral("taken.qcf")));
    QFile inside(path(QStringLiteral("taken.qcf/keep.txt")));
    QVERIFY(inside.open(QIODevice::WriteOnly));
    inside.write("old");
    inside.close();
    const QStringList before = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QVERIFY(!ConfigurationFile::SaveConfiguration(path(QStringLiteral("taken.qcf")), c, nullptr));
    QCOMPARE(m_dialogs->texts(), QStringList{WriteFailed});
    QCOMPARE(contentsOf(inside.fileName()), QByteArray("old"));
    QCOMPARE(dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

void tst_ConfigurationFile::unbuildableConfigurationLeavesTheFileAlone()
{
    Configuration good;
    const QString file = path(QStringLiteral("keep.qcf"));
    QVERIFY(ConfigurationFile::SaveConfiguration(file, good, nullptr));
    const QByteArray old = contentsOf(file);

    Configuration tooLong;
    tooLong.txtWebScript = QString(40000, QLatin1Char('x'));
    QVERIFY_THROWS_EXCEPTION(ConfigurationFile::BuildError,
                             ConfigurationFile::SaveConfiguration(file, tooLong, nullptr));
    QCOMPARE(contentsOf(file), old);
    QCOMPARE(m_dialogs->shown.size(), 0);
}

void tst_ConfigurationFile::saveReplacesTheWholeFile()
{
    const QString file = path(QStringLiteral("shrink.qcf"));
    Configuration big;
    big.txtWebScript = QString(5000, QLatin1Char('x'));
    QVERIFY(ConfigurationFile::SaveConfiguration(file, big, nullptr));
    Configuration small;
    QVERIFY(ConfigurationFile::SaveConfiguration(file, small, nullptr));
    QCOMPARE(contentsOf(file), ConfigCodec::encode(small).bytes);
}

QTEST_GUILESS_MAIN(tst_ConfigurationFile)
#include "tst_configurationfile.moc"
