#include "FixedClock.h"
#include "FullConfiguration.h"
#include "ScriptedDialogs.h"
#include "config/ConfigCodec.h"
#include "config/ConfigurationFile.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(ConfigCodec::Status)
Q_DECLARE_METATYPE(Configuration)

namespace {

const QString CouldNotOpen = QStringLiteral(
    "The file could not be opened.  Please make sure it is not in use by another application.");
const QString Invalid =
    QStringLiteral("The file appears to be an invalid Configuration file or corrupt.");
const QString Import =
    QStringLiteral("An error has occurred while importing the file.  Would you like to continue?");

// Files built byte by byte, the way an older or a foreign writer would have laid them out:
// numbers are 4 bytes big-endian, texts a number and their characters.
QByteArray num(quint32 value)
{
    QByteArray out;
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(char((value >> shift) & 0xFF));
    return out;
}

QByteArray txt(const QByteArray &value)
{
    return num(value.size()) + value;
}

const QByteArray Magic("QCF\x00\x00\x01", 6);

// Magic, a header made of the given fields, then the given sections, each behind its length.
QByteArray fileWith(const QByteArray &headerFields, const QList<QByteArray> &sections)
{
    QByteArray out = Magic + num(headerFields.size() - 1) + headerFields;
    for (const QByteArray &section : sections)
        out += num(section.size() - 1) + section;
    return out;
}

QByteArray standardHeader()
{
    return '\x01' + num(4) + ConfigCodec::familyTag() + '\x02' + txt("Orvane Quillcast") + '\x03' +
           txt("1.0.4");
}

QByteArray validFile()
{
    return ConfigCodec::encode(fullConfiguration()).bytes;
}

QByteArray withByte(QByteArray file, int offset, char value)
{
    file[offset] = value;
    return file;
}

// A previous-version data section: format 1 and its 22 entries.
QByteArray previousSection(int repeatHigh, int repeatLow)
{
    return num(1) + txt("WXYZ") + '\x01'             // 1, 2
           + txt("KXYZ") + '\x00'                    // 3, 4
           + '\x01'                                  // 5 time of day flag
           + txt("4660") + '\x07'                    // 6, 7 (a flag other than 1: no change)
           + '\x00' + '\x01'                         // 8 time zone flag, 9 daylight saving
           + txt("News") + '\x04'                    // 10, 11 TV-PG
           + QByteArray("\x00\x01\x00\x01\x00", 5)   // 12 flags
           + '\x01'                                  // 13 rating flag
           + txt("http://example.org") + txt("Desc") // 14, 15
           + txt("2004") + txt("June") + txt("30")   // 16, skipped
           + '\x01' + txt("Hello") + "\x05\x08\x03"  // 17 Web TV flag, 18, 19, 20, 21
           + char(repeatHigh) + char(repeatLow);     // 22
}

} // namespace

class tst_ConfigCodec : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_dialogs.clear(); }

    void headerIsLaidOutByteForByte();
    void everyFieldRoundTrips();
    void textsOutsideTheCodePageBecomeReplacements();
    void previousFormatConverts_data();
    void previousFormatConverts();
    void headersFindTheirSection_data();
    void headersFindTheirSection();
    void badFilesAreRefusedWithTheirMessage_data();
    void badFilesAreRefusedWithTheirMessage();
    void everyTruncationIsRefusedCleanly();
    void unbuildableConfigurationsWriteNothing_data();
    void unbuildableConfigurationsWriteNothing();

private:
    QTemporaryDir m_dir;
    FixedClock m_clock{QDateTime(QDate(2026, 6, 15), QTime(10, 0))};
    ScriptedDialogs m_dialogs;

    QString writeFile(const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(QStringLiteral("test.qcf")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QString();
        file.write(bytes);
        return file.fileName();
    }
    // Loads the bytes as a file into c, answering No to the import question.
    bool load(const QByteArray &bytes, Configuration &c)
    {
        m_dialogs.clear();
        m_dialogs.answers = {DialogService::Answer::No};
        return ConfigurationFile::LoadConfiguration(writeFile(bytes), c, nullptr);
    }
};

void tst_ConfigCodec::headerIsLaidOutByteForByte()
{
    Configuration c;
    c.txtNetworkName = QStringLiteral("ABCD");
    const QByteArray file = ConfigCodec::encode(c).bytes;
    const QByteArray expected = QByteArray::fromHex("514346000001 00000027 010000000454040258 "
                                                    "0200000010") +
                                "Orvane Quillcast" + QByteArray::fromHex("0300000005") + "1.0.4" +
                                num(file.size() - 55) + QByteArray::fromHex("00000002 00000004") +
                                "ABCD";
    QCOMPARE(file.left(66).toHex(' '), expected.toHex(' '));
}

void tst_ConfigCodec::everyFieldRoundTrips()
{
    const Configuration written = fullConfiguration();
    const ConfigCodec::Decoded decoded = ConfigCodec::decode(validFile());
    QCOMPARE(decoded.dataFormat, 2);
    QCOMPARE(decoded.entries, ConfigCodec::entriesOf(written));

    // And through the file: a default configuration takes every value, no question asked.
    const QString path = m_dir.filePath(QStringLiteral("all.qcf"));
    Configuration loaded;
    QVERIFY(ConfigurationFile::SaveConfiguration(path, written, nullptr));
    QVERIFY(ConfigurationFile::LoadConfiguration(path, loaded, nullptr));
    QCOMPARE(m_dialogs.texts(), QStringList());
    QCOMPARE(ConfigCodec::entriesOf(loaded), ConfigCodec::entriesOf(written));
    QVERIFY(loaded == written);
}

void tst_ConfigCodec::textsOutsideTheCodePageBecomeReplacements()
{
    Configuration c;
    c.txtProgramName = QStringLiteral("Caf\u00e9 \u20ac5");
    const ConfigCodec::Decoded decoded = ConfigCodec::decode(ConfigCodec::encode(c).bytes);
    QCOMPARE(decoded.entries.at(9).text, QStringLiteral("Caf\u00e9 ?5"));
}

void tst_ConfigCodec::previousFormatConverts_data()
{
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("low");
    QTest::addColumn<QString>("repeat");
    QTest::newRow("02 05") << 0x02 << 0x05 << QStringLiteral("37");
    QTest::newRow("00 00 is raised to 1") << 0x00 << 0x00 << QStringLiteral("1");
    QTest::newRow("FF FF") << 0xFF << 0xFF << QStringLiteral("4335");
}

void tst_ConfigCodec::previousFormatConverts()
{
    QFETCH(int, high);
    QFETCH(int, low);
    QFETCH(QString, repeat);
    const QByteArray file = fileWith(standardHeader(), {previousSection(high, low)});
    const ConfigCodec::Decoded decoded = ConfigCodec::decode(file);
    QCOMPARE(decoded.dataFormat, 1);
    QCOMPARE(decoded.entries.size(), 22);

    Configuration c;
    QVERIFY(load(file, c));
    QCOMPARE(c.txtInsArticleRepeat, repeat);
    // Flag 1: Insert (option 0) and enabled; other values leave the defaults (option 2, off).
    // Network name, call letters, time of day, TSID, program rating, Web TV:
    const QVector<int> packets = {
        c.oNetworkName,   c.chCtrlNetworkName,   c.oCallLetters, c.chCtrlCallLetters,
        c.oTimeOfDay,     c.chCtrlTimeOfDay,     c.oTSID,        c.chCtrlTSID,
        c.oProgramRating, c.chCtrlProgramRating, c.oWebTV,       c.chCtrlWebTV};
    QCOMPARE(packets, QVector<int>({0, 1, 2, 0, 0, 1, 2, 0, 0, 1, 0, 1}));
    const QStringList texts = {c.txtNetworkName, c.txtTSID, c.txtWebDescription, c.txtSendCaptions};
    QCOMPARE(texts, QStringList({"WXYZ", "4660", "Desc", "Hello"}));
    // The old expiry texts are dropped (year 0).
    const QVector<int> values = {c.chDSInEffect,  c.cmbProgramRating, c.cmbWebExpiryYear,
                                 c.oSendCaptions, c.oDecoderSettings, c.oInsertArticles};
    QCOMPARE(values, QVector<int>({1, 4, 0, 5, 8, 3}));
    QCOMPARE(c.chProgramRatingFlags, QVector<int>({0, 1, 0, 1, 0}));

    QCOMPARE(m_dialogs.texts(),
             QStringList{"You have selected a configuration file from a previous version of "
                         "Quillcast. Quillcast will convert the file to the current version "
                         "and set any new controls to their default values.\n\nIf you wish "
                         "to keep the previous version of this file then save the converted "
                         "configuration file with a new name using the \"File > Save As...\" "
                         "menu option."});
    QCOMPARE(m_dialogs.shown[0].icon, DialogService::Icon::Warning);
}

void tst_ConfigCodec::headersFindTheirSection_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("sectionIndex");
    QTest::addColumn<QString>("version");
    const QByteArray ours = validFile().mid(54); // behind magic, header and section length

    // Sections of other encoder families come first, in the order of their tags.
    const QByteArray threeTags =
        '\x01' + num(12) + "AB\x01\x02" + "CD\x03\x04" + ConfigCodec::familyTag();
    QTest::newRow("other tags first")
        << fileWith(threeTags, {QByteArray(17, '\x7f'), QByteArray(3, '\x01'), ours}) << 3
        << QString();
    // Types 7, 64 and 9 carry one byte; 255 carries a length.
    const QByteArray unknown =
        "\x07\x40\xff" + num(5) + "\x01\x02\x03\x04\x05" + standardHeader() + '\x09';
    QTest::newRow("unknown header types") << fileWith(unknown, {ours}) << 1 << "1.0.4";
    const QByteArray noTags = '\x02' + txt("Someone Else") + '\x03' + txt("9.9.9");
    QTest::newRow("no tag list: the first section") << fileWith(noTags, {ours}) << 1 << "9.9.9";
}

void tst_ConfigCodec::headersFindTheirSection()
{
    QFETCH(QByteArray, file);
    QFETCH(int, sectionIndex);
    QFETCH(QString, version);
    const ConfigCodec::Decoded decoded = ConfigCodec::decode(file);
    QCOMPARE(decoded.status, ConfigCodec::Status::Ok);
    QCOMPARE(decoded.sectionIndex, sectionIndex);
    QCOMPARE(decoded.version, version);
    QCOMPARE(decoded.entries, ConfigCodec::entriesOf(fullConfiguration()));
}

void tst_ConfigCodec::badFilesAreRefusedWithTheirMessage_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<ConfigCodec::Status>("status");
    using S = ConfigCodec::Status;
    const QByteArray valid = validFile();
    const QByteArray ours = valid.mid(54);
    const QByteArray header = fileWith(standardHeader(), {});
    const QByteArray x25(25, 'x');

    QTest::newRow("header cut short") << valid.left(30) << S::CouldNotOpen;
    QTest::newRow("longer than 32767 bytes")
        << valid + QByteArray(ConfigCodec::MaxFileSize, '\0') << S::CouldNotOpen;
    QTest::newRow("header length above 32767") << withByte(valid, 6, 1) << S::CouldNotOpen;
    QTest::newRow("first byte differs") << withByte(valid, 0, 'X') << S::Invalid;
    QTest::newRow("format bytes differ") << withByte(valid, 5, 2) << S::Invalid;
    QTest::newRow("no matching tag") << fileWith('\x01' + num(4) + "T42Y", {ours}) << S::Invalid;
    QTest::newRow("empty tag list") << fileWith('\x01' + num(0), {ours}) << S::Invalid;
    QTest::newRow("data length beyond the file")
        << withByte(withByte(valid, 52, 0x7f), 53, 0x7f) << S::Invalid;
    QTest::newRow("data length above 32767") << withByte(valid, 50, 1) << S::Invalid;
    QTest::newRow("format number above 32767") << withByte(valid, 54, 0x80) << S::Invalid;
    QTest::newRow("cut in the data") << valid.left(valid.size() - 3) << S::Ok;
    QTest::newRow("option beyond its group") << withByte(valid, 66, 3) << S::Ok;

    // Lengths that claim more than the file holds.
    QTest::newRow("title of 32767 at the end of 40 bytes")
        << Magic + num(29) + '\x02' + num(32767) + x25 << S::CouldNotOpen;
    QTest::newRow("32767 tags") << Magic + num(4) + '\x01' + num(32767) << S::CouldNotOpen;
    QTest::newRow("extension of 32767")
        << Magic + num(8) + '\xff' + num(32767) + "abcd" << S::CouldNotOpen;
    QTest::newRow("entry text of 32767")
        << header + num(12) + num(2) + num(32767) + "ABCD" << S::Ok;
    QTest::newRow("previous entry text of 32000")
        << header + num(20) + num(1) + txt("WXYZ") + '\x01' + num(32000) + "K" << S::Ok;
    const QByteArray twoTags = '\x01' + num(8) + "ABCD" + ConfigCodec::familyTag();
    QTest::newRow("skipped section of 32767")
        << fileWith(twoTags, {}) + num(32767) + QByteArray(10, '\0') << S::CouldNotOpen;
}

void tst_ConfigCodec::badFilesAreRefusedWithTheirMessage()
{
    QFETCH(QByteArray, file);
    QFETCH(ConfigCodec::Status, status);
    QCOMPARE(ConfigCodec::decode(file).status, status);
    // Each failure has its message; a file that breaks after its header asks whether to go on.
    using S = ConfigCodec::Status;
    const QString message = status == S::CouldNotOpen ? CouldNotOpen
                            : status == S::Invalid    ? Invalid
                                                      : Import;
    Configuration c;
    QVERIFY(!load(file, c));
    QCOMPARE(m_dialogs.texts(), QStringList{message});
    QCOMPARE(m_dialogs.shown[0].icon, DialogService::Icon::Warning);
}

void tst_ConfigCodec::everyTruncationIsRefusedCleanly()
{
    const QByteArray valid = validFile();
    for (int length = 0; length < valid.size(); ++length) {
        const QByteArray prefix = valid.left(length);
        const ConfigCodec::Decoded decoded = ConfigCodec::decode(prefix);
        QVERIFY2(decoded.status != ConfigCodec::Status::Ok ||
                     decoded.endedAtEntry != ConfigCodec::NotEnded,
                 qPrintable(QStringLiteral("prefix of %1 bytes accepted").arg(length)));
        QVERIFY(decoded.entries.size() < 49);
        // One message each, and no partial success unless asked to go on.
        Configuration c;
        QVERIFY(!load(prefix, c));
        QCOMPARE(m_dialogs.shown.size(), 1);
    }
}

void tst_ConfigCodec::unbuildableConfigurationsWriteNothing_data()
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
    QTest::newRow("longer than 32767 bytes") << tooLong << false;
    QTest::newRow("shorter than the old file") << Configuration() << true;
}

// A file that cannot be built leaves the old one alone and the caller hears of it (no message
// here); one that can replaces the old one whole.
void tst_ConfigCodec::unbuildableConfigurationsWriteNothing()
{
    QFETCH(Configuration, configuration);
    QFETCH(bool, builds);
    const ConfigCodec::Encoded encoded = ConfigCodec::encode(configuration);
    QCOMPARE(encoded.ok(), builds);
    QCOMPARE(encoded.bytes.isEmpty(), !builds);
    QVERIFY(encoded.bytes.size() <= ConfigCodec::MaxFileSize);

    Configuration old;
    old.txtWebScript = QString(5000, QLatin1Char('x'));
    const QString path = writeFile(ConfigCodec::encode(old).bytes);
    if (builds)
        QVERIFY(ConfigurationFile::SaveConfiguration(path, configuration, nullptr));
    else
        QVERIFY_THROWS_EXCEPTION(
            ConfigurationFile::BuildError,
            ConfigurationFile::SaveConfiguration(path, configuration, nullptr));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), builds ? encoded.bytes : ConfigCodec::encode(old).bytes);
    QCOMPARE(m_dialogs.shown.size(), 0);
}

QTEST_GUILESS_MAIN(tst_ConfigCodec)
#include "tst_configcodec.moc"
