#include "GoldenFiles.h"
#include "ScriptedDialogs.h"
#include "commands/ControlProcessing.h"
#include "common/Clock.h"
#include "config/ConfigCodec.h"
#include "config/ConfigFields.h"
#include "config/ConfigurationFile.h"

#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString WriteFailed = QStringLiteral("There was an error when trying to open and write to "
                                           "the file.  It might be in use by another application.");

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QString CouldNotOpen = QStringLiteral(
    "The file could not be opened.  Please make sure it is not in use by another application.");

const QString Data = QStringLiteral(QUILLCAST_TEST_DATA "/");

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

} // namespace

Q_DECLARE_METATYPE(Configuration)

// Loading and saving: every NAME.qcf in tests/data beside NAME.wire (the Send Configuration of
// that file, one command per line after "! " lines for what the load said) or NAME.refusal (the
// messages of a refused load, the refusal last), loaded and built as quillcast-send does; and
// beyond what they show: files that are no files, the answer Yes to the import question, the
// fields no command carries, every cut of a file refused, and writes that fail or that the
// format cannot hold.
class tst_ConfigurationFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { Clock::setInstance(&m_clock); }
    void cleanupTestCase() { Clock::setInstance(nullptr); }
    void init()
    {
        m_dialogs.clear();
        m_dialogs.defaultAnswer = DialogService::Answer::Yes;
    }

private:
    TickingClock m_clock;
    QTemporaryDir m_dir;
    ScriptedDialogs m_dialogs;

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

        m_dialogs.defaultAnswer = DialogService::Answer::No;
        m_clock.reset();
        ControlProcessing::Context context;
        context.zone = LocalTimeZoneSnapshot::take(QTimeZone("America/New_York"),
                                                   QDateTime(QDate(2026, 12, 31), QTime(12, 0)));
        context.clock = &m_clock;
        Configuration c =
            Configuration::defaults({"WXYZ", "KXYZ", "4660"}, context.zone.InDaylightTime);
        const bool loaded = ConfigurationFile::LoadConfiguration(base + ".qcf", c, nullptr);
        QStringList said;
        for (const QString &text : m_dialogs.texts())
            said << (refused ? QString() : QStringLiteral("! ")) + escapedWire(text.toLatin1());
        if (loaded) {
            ControlProcessing(c, context, [&said](const CtrlACommand &k) {
                said << escapedWire(k.wireBytes());
            }).BuildConfiguration();
        }
        QCOMPARE(said, goldenLines(name + (refused ? ".refusal" : ".wire")));
        QCOMPARE(loaded, !refused);
    }

    // The writer still writes every case of written.cases byte for byte as it did.
    void writerKeepsItsBytes()
    {
        const auto cases = readWrittenCases(goldenFile("written.cases"));
        QVERIFY(!cases.isEmpty());
        QTemporaryDir dir;
        for (const auto &written : cases) {
            const QString path = dir.filePath(written.first);
            QVERIFY(ConfigurationFile::SaveConfiguration(path, written.second, nullptr));
            QFile now(path), then(goldenFile(written.first + ".qcf"));
            QVERIFY(now.open(QIODevice::ReadOnly) && then.open(QIODevice::ReadOnly));
            QVERIFY2(now.readAll() == then.readAll(), qPrintable(written.first));
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
        before.txtNetworkName = QStringLiteral("KEEP");
        ::alarm(10); // a load that waits ends the test program (and fails it) instead of hanging
        for (const QString &name : {path("missing.qcf"), path("folder.qcf"),
                                    QFile::decodeName(pipe), QStringLiteral("/dev/zero")}) {
            m_dialogs.clear();
            Configuration c = before;
            QVERIFY2(!ConfigurationFile::LoadConfiguration(name, c, nullptr), qPrintable(name));
            QCOMPARE(m_dialogs.texts(), QStringList{CouldNotOpen});
            QVERIFY(c == before);
        }
        ::alarm(0);
        ::close(writer);
    }

    // What no command carries, after the answer Yes to every import question; the previous
    // format converted, its repeat count from the last two bytes; fields not read keep theirs.
    void loadsWhatNoCommandCarries_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("messages"); // import questions, the conversion note
        const QByteArray previous = contentsOf(Data + "previous-format.qcf").chopped(2);
        const QStringList converted = {"txtSendCaptions=Hello", "chDSInEffect=1",
                                       "cmbWebExpiryYear=3",    "oSendCaptions=5",
                                       "oDecoderSettings=8",    "oInsertArticles=3"};
        QTest::newRow("value refused") << contentsOf(Data + "check-value-3.qcf")
                                       << QStringList{"txtNetworkName=", "oCGMS=2"} << 1;
        QTest::newRow("file ends early") << contentsOf(Data + "damaged-cut-in-data.qcf")
                                         << QStringList{"txtNetworkName=NBC", "oCGMS=1"} << 1;
        QTest::newRow("other fields") << contentsOf(Data + "other-fields.qcf")
                                      << QStringList{"txtSendCaptions=Test caption",
                                                     "captionLoopFile=/data/captions/loop.txt",
                                                     "txtInsArticleRepeat=250",
                                                     "cmbCCLoopingTime=23,59,58",
                                                     "oSendCaptions=6",
                                                     "oInsertArticles=3",
                                                     "chCCLpInfiniteTime=1"}
                                      << 0;
        QTest::newRow("previous, 02 05")
            << previous + "\x02\x05" << converted + QStringList{"txtInsArticleRepeat=37"} << 1;
        QTest::newRow("previous, 00 00 is raised to 1")
            << previous + QByteArray(2, 0) << converted + QStringList{"txtInsArticleRepeat=1"} << 1;
        QTest::newRow("previous, FF FF")
            << previous + "\xFF\xFF" << converted + QStringList{"txtInsArticleRepeat=4335"} << 1;
    }
    void loadsWhatNoCommandCarries()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, fields);
        QFile file(path(QStringLiteral("fields.qcf")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        Configuration c;
        c.txtNetworkName = QStringLiteral("OLD");
        c.oCGMS = 1;
        c.cmbWebExpiryYear = 3;
        QVERIFY(ConfigurationFile::LoadConfiguration(file.fileName(), c, nullptr));
        for (const QString &field : fields) {
            const ConfigField *f = ConfigFields::byName(field.section('=', 0, 0));
            QString value;
            if (auto text = std::get_if<QString Configuration::*>(&f->member))
                value = c.**text;
            else if (auto single = std::get_if<int Configuration::*>(&f->member))
                value = QString::number(c.**single);
            else
                for (int member : c.*std::get<QVector<int> Configuration::*>(f->member))
                    value += (value.isEmpty() ? "" : ",") + QString::number(member);
            QCOMPARE(field.section('=', 0, 0) + '=' + value, field);
        }
        QTEST(int(m_dialogs.shown.size()), "messages");
    }

    // A name taken by a folder with something in it: the write fails with a warning, nothing of
    // the folder is replaced, and no half-written file is left beside it.
    void failedWriteKeepsTheOldFile()
    {
        QDir dir(m_dir.path());
        QVERIFY(dir.mkpath(QStringLiteral("taken.qcf")));
        QFile inside(path(QStringLiteral("taken.qcf/keep.txt")));
        QVERIFY(inside.open(QIODevice::WriteOnly) && inside.write("old") == 3);
        inside.close();
        const QStringList before = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QVERIFY(!ConfigurationFile::SaveConfiguration(path(QStringLiteral("taken.qcf")),
                                                      Configuration(), nullptr));
        QCOMPARE(m_dialogs.texts(), QStringList{WriteFailed});
        QCOMPARE(contentsOf(inside.fileName()), QByteArray("old"));
        QCOMPARE(dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    }

    void everyTruncationIsRefusedCleanly()
    {
        const QByteArray valid = contentsOf(Data + "inserted.qcf");
        for (int length = 0; length < valid.size(); ++length) {
            const ConfigCodec::Decoded decoded = ConfigCodec::decode(valid.left(length));
            QVERIFY2(decoded.status != ConfigCodec::Status::Ok ||
                         decoded.endedAtEntry != ConfigCodec::NotEnded,
                     qPrintable(QStringLiteral("prefix of %1 bytes accepted").arg(length)));
            QVERIFY(decoded.entries.size() < 49);
        }
    }

    void unbuildableConfigurationsWriteNothing_data()
    {
        QTest::addColumn<Configuration>("configuration");
        QTest::addColumn<bool>("builds");
        Configuration noSelection;
        noSelection.cmbProgramRating = -1;
        Configuration index256;
        index256.cmbCCLoopingTime = {0, 256, 0};
        Configuration tooLong;
        tooLong.txtWebScript = QString(32000, QLatin1Char('s'));
        tooLong.txtWebURL = QString(1000, QLatin1Char('u'));
        QTest::newRow("list without selection") << noSelection << false;
        QTest::newRow("list index 256") << index256 << false;
        Configuration exact;
        exact.txtWebScript =
            QString(ConfigCodec::MaxFileSize - int(ConfigCodec::encode(exact).bytes.size()), 's');
        QTest::newRow("exactly 32767 bytes") << exact << true;
        QTest::newRow("longer than 32767 bytes") << tooLong << false;
        QTest::newRow("shorter than the old file") << Configuration() << true;
    }
    // A file that cannot be built leaves the old one alone and the caller hears of it (no
    // message here); one that can replaces the old one whole.
    void unbuildableConfigurationsWriteNothing()
    {
        QFETCH(Configuration, configuration);
        QFETCH(bool, builds);
        const ConfigCodec::Encoded encoded = ConfigCodec::encode(configuration);
        QCOMPARE(encoded.ok(), builds);
        QCOMPARE(encoded.bytes.isEmpty(), !builds);
        QVERIFY(encoded.bytes.size() <= ConfigCodec::MaxFileSize);

        Configuration old;
        old.txtWebScript = QString(5000, QLatin1Char('x'));
        const QString file = path(QStringLiteral("c.qcf"));
        QVERIFY(ConfigurationFile::SaveConfiguration(file, old, nullptr));
        if (builds)
            QVERIFY(ConfigurationFile::SaveConfiguration(file, configuration, nullptr));
        else
            QVERIFY_THROWS_EXCEPTION(
                ConfigurationFile::BuildError,
                ConfigurationFile::SaveConfiguration(file, configuration, nullptr));
        QCOMPARE(contentsOf(file), builds ? encoded.bytes : ConfigCodec::encode(old).bytes);
        QCOMPARE(m_dialogs.shown.size(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_ConfigurationFile)
#include "tst_configurationfile.moc"
