#include "ScriptedDialogs.h"
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

const QString Data = QStringLiteral(QUILLCAST_TEST_DATA "/");

} // namespace

// Loading and saving beyond what the golden files show: files that are no files, the answer Yes
// to the import question, the fields no command carries, and a write that fails.
class tst_ConfigurationFile : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_dialogs.clear(); }

private:
    QTemporaryDir m_dir;
    ScriptedDialogs m_dialogs;

    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void unreadableFilesCannotBeOpened_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing file") << QStringLiteral("missing.qcf");
        QTest::newRow("a folder") << QStringLiteral("folder.qcf");
        QTest::newRow("a pipe") << QStringLiteral("pipe.qcf");
        QTest::newRow("a device") << QStringLiteral("/dev/zero");
    }

    void unreadableFilesCannotBeOpened()
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

    void yesGoesOnWithWhatWasRead_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("networkName");
        QTest::addColumn<int>("cgmsAction"); // the last entry; 1 when not read
        QTest::addColumn<int>("questions");
        QTest::newRow("value refused") << "check-value-3"
                                       << "" << 2 << 1;
        QTest::newRow("file ends early") << "damaged-cut-in-data"
                                         << "NBC" << 1 << 1;
        QTest::newRow("no question") << "inserted"
                                     << "NBC" << 0 << 0;
    }

    void yesGoesOnWithWhatWasRead()
    {
        QFETCH(QString, file);
        QFETCH(QString, networkName);
        QFETCH(int, cgmsAction);
        QFETCH(int, questions);
        Configuration c;
        c.txtNetworkName = QStringLiteral("OLD");
        c.oCGMS = 1;
        QVERIFY(ConfigurationFile::LoadConfiguration(Data + file + ".qcf", c, nullptr));
        QCOMPARE(c.txtNetworkName, networkName);
        QCOMPARE(c.oCGMS, cgmsAction);
        QCOMPARE(m_dialogs.shown.size(), questions);
    }

    void previousFormatConverts_data()
    {
        QTest::addColumn<QByteArray>("repeatBytes");
        QTest::addColumn<QString>("repeat");
        QTest::newRow("02 05") << QByteArray("\x02\x05") << QStringLiteral("37");
        QTest::newRow("00 00 is raised to 1") << QByteArray("\x00\x00", 2) << QStringLiteral("1");
        QTest::newRow("FF FF") << QByteArray("\xFF\xFF") << QStringLiteral("4335");
    }

    // The converted fields that no command carries; the rest is in previous-format.wire.
    void previousFormatConverts()
    {
        QFETCH(QByteArray, repeatBytes);
        QFETCH(QString, repeat);
        QFile file(path(QStringLiteral("previous.qcf")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contentsOf(Data + "previous-format.qcf").chopped(2) + repeatBytes);
        file.close();
        Configuration c;
        c.cmbWebExpiryYear = 3;
        QVERIFY(ConfigurationFile::LoadConfiguration(file.fileName(), c, nullptr));
        QCOMPARE(c.txtInsArticleRepeat, repeat);
        QCOMPARE(c.txtSendCaptions, QStringLiteral("Hello"));
        const QVector<int> values = {c.chDSInEffect, c.cmbWebExpiryYear, c.oSendCaptions,
                                     c.oDecoderSettings, c.oInsertArticles};
        QCOMPARE(values, QVector<int>({1, 3, 5, 8, 3}));
    }

    void fieldsWithoutCommandsAreLoaded()
    {
        Configuration c;
        QVERIFY(ConfigurationFile::LoadConfiguration(Data + "other-fields.qcf", c, nullptr));
        QCOMPARE(c.txtSendCaptions, QStringLiteral("Test caption"));
        QCOMPARE(c.captionLoopFile, QStringLiteral("/data/captions/loop.txt"));
        QCOMPARE(c.txtInsArticleRepeat, QStringLiteral("250"));
        QCOMPARE(c.cmbCCLoopingTime, QVector<int>({23, 59, 58}));
        QCOMPARE(QVector<int>({c.oSendCaptions, c.oInsertArticles, c.chCCLpInfiniteTime}),
                 QVector<int>({6, 3, 1}));
    }

    void failedWriteKeepsTheOldFile()
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
        QVERIFY(
            !ConfigurationFile::SaveConfiguration(path(QStringLiteral("taken.qcf")), c, nullptr));
        QCOMPARE(m_dialogs.texts(), (QStringList{WriteFailed, WriteFailed}));
        QCOMPARE(contentsOf(inside.fileName()), QByteArray("old"));
        QCOMPARE(dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    }
};

QTEST_GUILESS_MAIN(tst_ConfigurationFile)
#include "tst_configurationfile.moc"
