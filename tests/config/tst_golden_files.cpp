#include "GoldenFiles.h"
#include "ScriptedDialogs.h"
#include "commands/ControlProcessing.h"
#include "common/Clock.h"
#include "config/ConfigurationFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

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

// Every NAME.qcf in tests/data beside NAME.wire (the Send Configuration of that file, one
// command per line after "! " lines for what the load said) or NAME.refusal (the messages of
// a refused load, the refusal last), loaded and built as quillcast-send does.
class tst_GoldenFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Clock::setInstance(&m_clock); }
    void cleanupTestCase() { Clock::setInstance(nullptr); }

    void eachFileGivesItsWireOrRefusal_data()
    {
        QTest::addColumn<QString>("name");
        const QStringList files =
            QDir(QUILLCAST_TEST_DATA).entryList({QStringLiteral("*.qcf")}, QDir::Files);
        QVERIFY(files.size() >= 10);
        for (const QString &file : files)
            QTest::newRow(qPrintable(file)) << file.chopped(4);
    }
    void eachFileGivesItsWireOrRefusal()
    {
        QFETCH(QString, name);
        const QString base = goldenFile(name);
        const bool refused = QFile::exists(base + ".refusal");
        QVERIFY2(refused != QFile::exists(base + ".wire"), "needs a .wire or a .refusal");

        ScriptedDialogs dialogs;
        dialogs.defaultAnswer = DialogService::Answer::No;
        m_clock.reset();
        ControlProcessing::Context context;
        context.zone = LocalTimeZoneSnapshot::take(QTimeZone("America/New_York"),
                                                   QDateTime(QDate(2026, 12, 31), QTime(12, 0)));
        context.clock = &m_clock;
        Configuration c =
            Configuration::defaults({"WXYZ", "KXYZ", "4660"}, context.zone.InDaylightTime);
        const bool loaded = ConfigurationFile::LoadConfiguration(base + ".qcf", c, nullptr);
        QStringList said;
        for (const QString &text : dialogs.texts())
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

private:
    TickingClock m_clock;
};

QTEST_GUILESS_MAIN(tst_GoldenFiles)
#include "tst_golden_files.moc"
