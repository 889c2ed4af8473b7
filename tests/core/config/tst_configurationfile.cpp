#include "GoldenFiles.h"
#include "core/commands/ControlProcessing.h"
#include "core/common/Clock.h"
#include "core/config/ConfigCodec.h"
#include "core/config/ConfigurationFile.h"

#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString CouldNotOpen = QStringLiteral(
    "The file could not be opened.  Please make sure it is not in use by another application.");

// The moment of every load: two seconds before a new year, one second more at each reading, so
// the clock commands show that the date is read after the time.
class TickingClock : public Clock
{
public:
    QDateTime now() const override
    {
        const QDateTime at = m_at;
        m_at = m_at.addSecs(1);
        return at;
    }
    void reset() { m_at = QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)); }

private:
    mutable QDateTime m_at;
};

// What an operator answering every question with Yes (or No) is told of a load, in order, and
// whether the load goes through.
bool answered(const ConfigurationFile::LoadResult &result, bool yes, QStringList *said)
{
    for (const ConfigurationFile::Message &message : result.messages) {
        *said << message.text;
        if (message.kind == ConfigurationFile::Message::Question && !yes)
            return false;
    }
    return result.readable;
}

} // namespace

// Loading and saving: every NAME.qcf in tests/data beside NAME.wire (the Send Configuration of
// that file, one command per line after "! " lines for what the load said) or NAME.refusal (the
// messages of a refused load, the refusal last), loaded and built as quillcast-send does, and
// NAME.fields where there is one (every field after a load answering Yes); the writer against
// written.cases; and beyond what they show, files that are no files and every cut of a file.
class tst_ConfigurationFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { Clock::setInstance(&m_clock); }
    void cleanupTestCase() { Clock::setInstance(nullptr); }

private:
    TickingClock m_clock;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void eachFileGivesItsWireOrRefusal_data()
    {
        QTest::addColumn<QString>("name");
        const QStringList files =
            QDir(QUILLCAST_TEST_DATA).entryList({QStringLiteral("*.qcf")}, QDir::Files);
        for (const QString &file : files)
            QTest::newRow(qPrintable(file)) << file.chopped(4);
    }
    void eachFileGivesItsWireOrRefusal()
    {
        QFETCH(QString, name);
        const QString base = goldenFile(name);
        const bool refused = QFile::exists(base + ".refusal");
        QVERIFY2(refused != QFile::exists(base + ".wire"), "needs a .wire or a .refusal");

        m_clock.reset();
        ControlProcessing::Context context;
        context.zone = LocalTimeZoneSnapshot::take(QTimeZone("America/New_York"),
                                                   QDateTime(QDate(2026, 12, 31), QTime(12, 0)));
        context.clock = &m_clock;
        Configuration c =
            Configuration::defaults({"WXYZ", "KXYZ", "4660"}, context.zone.InDaylightTime);
        QStringList texts;
        const ConfigurationFile::LoadResult result =
            ConfigurationFile::loadConfiguration(base + ".qcf", c);
        const bool loaded = answered(result, false, &texts);
        QStringList said;
        for (const QString &text : texts)
            said << (refused ? QString() : QStringLiteral("! ")) + Output::escaped(text.toLatin1());
        if (loaded) {
            ControlProcessing(result.configuration, context, [&said](const CtrlACommand &k) {
                said << Output::escaped(k.wireBytes());
            }).buildConfiguration();
        }
        QCOMPARE(said, goldenLines(name + (refused ? ".refusal" : ".wire")));
        QCOMPARE(loaded, !refused);
        if (!QFile::exists(base + ".fields"))
            return;
        // Answering Yes to every question, over other values: the messages, then every field.
        m_clock.reset();
        c = Configuration();
        c.txtNetworkName = QStringLiteral("OLD");
        c.oCGMS = 1;
        c.cmbWebExpiryYear = 3;
        const ConfigurationFile::LoadResult yes =
            ConfigurationFile::loadConfiguration(base + ".qcf", c);
        texts.clear();
        QVERIFY(answered(yes, true, &texts));
        said.clear();
        for (const QString &text : texts)
            said << QStringLiteral("! ") + Output::escaped(text.toLatin1());
        QCOMPARE(said + fieldTexts(yes.configuration), goldenLines(name + ".fields"));
    }

    // Over a longer file, the writer still writes every case of written.cases byte for byte as
    // it did, without a word; a "refused-" case it cannot build leaves the old file as it was.
    // With QUILLCAST_WRITE_GOLDEN set it writes the cases' .qcf files in place instead.
    void writerKeepsItsBytes()
    {
        const auto cases = readWrittenCases(goldenFile("written.cases"));
        QVERIFY(!cases.isEmpty());
        const bool inPlace = qEnvironmentVariableIsSet("QUILLCAST_WRITE_GOLDEN");
        const QByteArray old(40000, 'x');
        for (const auto &[name, configuration] : cases) {
            QFile file(inPlace && !name.startsWith("refused-") ? goldenFile(name + ".qcf")
                                                               : path(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
            file.close();
            const bool refused = name.startsWith(QLatin1String("refused-"));
            if (refused)
                QVERIFY_THROWS_EXCEPTION(
                    ConfigurationFile::BuildError,
                    ConfigurationFile::saveConfiguration(file.fileName(), configuration));
            else
                QVERIFY(ConfigurationFile::saveConfiguration(file.fileName(), configuration));
            QVERIFY2(contentsOf(file.fileName()) ==
                         (refused ? old : contentsOf(goldenFile(name + ".qcf"))),
                     qPrintable(name));
        }
    }

    // A name that is no file is refused at once with one message and changes nothing.
    void unreadableFilesCannotBeOpened()
    {
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder.qcf")));
        // A pipe with a writer that never writes: reading it would wait for ever.
        const QByteArray pipe = QFile::encodeName(path(QStringLiteral("pipe.qcf")));
        QVERIFY(::mkfifo(pipe.constData(), 0600) == 0);
        const int writer = ::open(pipe.constData(), O_RDWR | O_NONBLOCK);
        QVERIFY(writer >= 0);
        Configuration before;
        ::alarm(10); // a load that waits ends the test program (and fails it) instead of hanging
        for (const QString &name : {path("missing.qcf"), path("folder.qcf"),
                                    QFile::decodeName(pipe), QStringLiteral("/dev/zero")}) {
            QStringList said;
            const ConfigurationFile::LoadResult result =
                ConfigurationFile::loadConfiguration(name, before);
            QVERIFY2(!answered(result, true, &said), qPrintable(name));
            QCOMPARE(said, QStringList{CouldNotOpen});
        }
        ::alarm(0);
        ::close(writer);
    }

    void everyTruncationIsRefusedCleanly()
    {
        const QByteArray valid = contentsOf(goldenFile("inserted.qcf"));
        for (int length = 0; length < valid.size(); ++length) {
            const ConfigCodec::Decoded decoded = ConfigCodec::decode(valid.left(length));
            QVERIFY2(decoded.status != ConfigCodec::Status::Ok ||
                         decoded.endedAtEntry != ConfigCodec::NotEnded,
                     qPrintable(QStringLiteral("prefix of %1 bytes accepted").arg(length)));
            QVERIFY(decoded.entries.size() < 49);
        }
    }
};

QTEST_GUILESS_MAIN(tst_ConfigurationFile)
#include "tst_configurationfile.moc"
