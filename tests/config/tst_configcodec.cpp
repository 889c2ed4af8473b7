#include "ScriptedDialogs.h"
#include "config/ConfigCodec.h"
#include "config/ConfigurationFile.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(Configuration)

// What the golden files cannot show: every cut of a file is refused, and a configuration the
// format cannot hold is never written.
class tst_ConfigCodec : public QObject
{
    Q_OBJECT
private slots:
    void everyTruncationIsRefusedCleanly()
    {
        QFile file(QStringLiteral(QUILLCAST_TEST_DATA "/inserted.qcf"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray valid = file.readAll();
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
        Configuration fits;
        fits.txtWebScript = QString(32000, QLatin1Char('s'));
        Configuration tooLong = fits;
        tooLong.txtWebURL = QString(1000, QLatin1Char('u'));
        QTest::newRow("list without selection") << noSelection << false;
        QTest::newRow("list index 256") << index256 << false;
        QTest::newRow("long text that fits") << fits << true;
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
        ScriptedDialogs dialogs;
        const ConfigCodec::Encoded encoded = ConfigCodec::encode(configuration);
        QCOMPARE(encoded.ok(), builds);
        QCOMPARE(encoded.bytes.isEmpty(), !builds);
        QVERIFY(encoded.bytes.size() <= ConfigCodec::MaxFileSize);

        Configuration old;
        old.txtWebScript = QString(5000, QLatin1Char('x'));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("c.qcf"));
        QVERIFY(ConfigurationFile::SaveConfiguration(path, old, nullptr));
        if (builds)
            QVERIFY(ConfigurationFile::SaveConfiguration(path, configuration, nullptr));
        else
            QVERIFY_THROWS_EXCEPTION(
                ConfigurationFile::BuildError,
                ConfigurationFile::SaveConfiguration(path, configuration, nullptr));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), builds ? encoded.bytes : ConfigCodec::encode(old).bytes);
        QCOMPARE(dialogs.shown.size(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_ConfigCodec)
#include "tst_configcodec.moc"
