#include "FixedClock.h"
#include "ScriptedDialogs.h"
#include "common/GlobalVars.h"
#include "config/ConfigCodec.h"
#include "config/ConfigurationFile.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(ConfigCodec::Status)
Q_DECLARE_METATYPE(Configuration)

// Builds files byte by byte, the way an older or a foreign writer would have laid them out.
class Bytes
{
public:
    QByteArray out;

    Bytes &raw(const QByteArray &bytes)
    {
        out.append(bytes);
        return *this;
    }
    Bytes &byte(int value)
    {
        out.append(char(value));
        return *this;
    }
    Bytes &number(quint32 value)
    {
        for (int shift = 24; shift >= 0; shift -= 8)
            out.append(char((value >> shift) & 0xFF));
        return *this;
    }
    Bytes &text(const QByteArray &value)
    {
        number(value.size());
        out.append(value);
        return *this;
    }
    // Writes a big-endian number over the four bytes that end at lastOffset.
    void patch(int lastOffset, quint32 value)
    {
        for (int i = 0; i < 4; ++i)
            out[lastOffset - i] = char((value >> (8 * i)) & 0xFF);
    }
};

namespace {

const QByteArray Magic("QCF\x00\x00\x01", 6);

// Magic, a header made of the given fields, then the given sections, each behind its length.
QByteArray fileWith(const QByteArray &headerFields, const QList<QByteArray> &sections)
{
    Bytes b;
    b.raw(Magic).number(headerFields.size() - 1).raw(headerFields);
    for (const QByteArray &section : sections)
        b.number(section.size() - 1).raw(section);
    return b.out;
}

QByteArray standardHeader()
{
    Bytes h;
    h.byte(1).number(4).raw(ConfigCodec::familyTag());
    h.byte(2).text("Orvane Quillcast").byte(3).text("1.0.4");
    return h.out;
}

// A previous-version data section: format 1 and its 22 entries.
QByteArray previousSection(int networkFlag, int repeatHigh, int repeatLow)
{
    Bytes d;
    d.number(1);
    d.text("WXYZ").byte(networkFlag);             // 1, 2
    d.text("KXYZ").byte(0);                       // 3, 4
    d.byte(1);                                    // 5 time of day flag
    d.text("4660").byte(7);                       // 6, 7 (a flag other than 1 changes nothing)
    d.byte(0).byte(1);                            // 8 time zone flag, 9 daylight saving in effect
    d.text("News");                               // 10
    d.byte(4);                                    // 11 TV-PG
    d.raw(QByteArray("\x00\x01\x00\x01\x00", 5)); // 12 flags
    d.byte(1);                                    // 13 rating flag
    d.text("http://example.org").text("Desc");    // 14, 15
    d.text("2004").text("June").text("30");       // 16, skipped
    d.byte(1);                                    // 17 Web TV flag
    d.text("Hello");                              // 18
    d.byte(5).byte(8).byte(3);                    // 19, 20, 21
    d.byte(repeatHigh).byte(repeatLow);           // 22
    return d.out;
}

Configuration everythingSet()
{
    Configuration c;
    c.chCtrlNetworkName = 1;
    c.oNetworkName = 0;
    c.txtNetworkName = QStringLiteral("ABCD");
    c.chCtrlCallLetters = 1;
    c.oCallLetters = 1;
    c.txtCallLetters = QStringLiteral("WABC");
    c.chCtrlTSID = 1;
    c.oTSID = 0;
    c.txtTSID = QStringLiteral("4660");
    c.chCtrlTimeOfDay = 1;
    c.oTimeOfDay = 1;
    c.chCtrlTimeZone = 1;
    c.oTimezone = 0;
    c.chSyncClock = 1;
    c.chDSObserved = 0;
    c.chDSInEffect = 1;
    c.chCtrlProgramName = 1;
    c.oProgramName = 0;
    c.txtProgramName = QStringLiteral("Evening News");
    c.chCtrlProgramRating = 1;
    c.oProgramRating = 0;
    c.cmbProgRatingSys = 3;
    c.cmbProgramRating = 4;
    c.chProgramRatingFlags = {1, 0, 1, 0, 2};
    c.txtSendCaptions = QStringLiteral("Test caption");
    c.oSendCaptions = 6;
    c.oDecoderSettings = 9;
    c.chDecoderSend = 1;
    c.chBlockingSend = 1;
    c.chBlockingSettings = {1, 0, 1, 0, 1, 0, 1, 0, 1};
    c.chCtrlWebTV = 1;
    c.oWebTV = 0;
    c.txtWebURL = QStringLiteral("http://example.org/");
    c.txtWebDescription = QStringLiteral("Example");
    c.txtWebScript = QStringLiteral("go()");
    c.txtWebRepeat = QStringLiteral("12");
    c.cmbWebExpiryYear = 2;  // 2027 with the clock below
    c.cmbWebExpiryMonth = 3; // March
    c.cmbWebExpiryDay = 5;   // the 5th
    c.webExpiryYearValue = 2027;
    c.webExpiryMonthValue = 3;
    c.webExpiryDayValue = 5;
    c.oInsertArticles = 3;
    c.txtInsArticleRepeat = QStringLiteral("250");
    c.captionLoopFile = QStringLiteral("/data/captions/loop.txt");
    c.cmbCCLoopingTime = {23, 59, 58};
    c.chCCLpInfiniteTime = 1;
    c.chCtrlCGMS = 1;
    c.oCGMS = 0;
    c.cmbCGMS = 2;
    c.cmbCGMSOptions = 3;
    c.oCGMSASB = 1;
    return c;
}

} // namespace

class tst_ConfigCodec : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void headerIsLaidOutByteForByte();
    void everyFieldRoundTrips();
    void textsOutsideTheCodePageBecomeReplacements();
    void previousFormatConverts_data();
    void previousFormatConverts();
    void tagsBeforeTheFamilyTagSkipTheirSections();
    void unknownHeaderFieldsAreSkipped();
    void headerWithoutTagListReadsFirstSection();
    void failuresHaveTheirOwnStatus_data();
    void failuresHaveTheirOwnStatus();
    void failuresHaveTheirOwnMessage_data();
    void failuresHaveTheirOwnMessage();
    void everyTruncationIsRefusedCleanly();
    void hostileLengthsAreRefused_data();
    void hostileLengthsAreRefused();
    void unbuildableConfigurationsFail_data();
    void unbuildableConfigurationsFail();

private:
    QTemporaryDir m_dir;
    FixedClock *m_clock = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;

    QString writeFile(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("test.qcf"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QString();
        file.write(bytes);
        return path;
    }
};

void tst_ConfigCodec::init()
{
    m_clock = new FixedClock(QDateTime(QDate(2026, 6, 15), QTime(10, 0)));
    m_dialogs = new ScriptedDialogs;
}

void tst_ConfigCodec::cleanup()
{
    delete m_dialogs;
    delete m_clock;
}

void tst_ConfigCodec::headerIsLaidOutByteForByte()
{
    Configuration c;
    c.txtNetworkName = QStringLiteral("ABCD");
    const ConfigCodec::Encoded encoded = ConfigCodec::encode(c);
    QVERIFY2(encoded.ok(), qPrintable(encoded.error));
    const QByteArray &file = encoded.bytes;

    QCOMPARE(GlobalVars::VersionText(), QStringLiteral("1.0.4"));
    const QByteArray expected = QByteArray::fromHex("514346000001"
                                                    "00000027"
                                                    "010000000454040258"
                                                    "0200000010") +
                                "Orvane Quillcast" + QByteArray::fromHex("0300000005") + "1.0.4";
    QCOMPARE(file.left(50).toHex(' '), expected.toHex(' '));
    const int lastOffset = file.size() - 1;
    QCOMPARE(file.mid(50, 4).toHex(), Bytes().number(lastOffset - 54).out.toHex());
    QCOMPARE(file.mid(54, 4).toHex(), QByteArray("00000002"));
    QCOMPARE(file.mid(58, 8), QByteArray::fromHex("00000004") + "ABCD");
}

void tst_ConfigCodec::everyFieldRoundTrips()
{
    const Configuration written = everythingSet();
    const ConfigCodec::Encoded encoded = ConfigCodec::encode(written);
    QVERIFY2(encoded.ok(), qPrintable(encoded.error));

    const ConfigCodec::Decoded decoded = ConfigCodec::decode(encoded.bytes);
    QCOMPARE(decoded.status, ConfigCodec::Status::Ok);
    QCOMPARE(decoded.dataFormat, 2);
    QCOMPARE(decoded.endedAtEntry, ConfigCodec::NotEnded);
    QCOMPARE(decoded.title, QStringLiteral("Orvane Quillcast"));
    QCOMPARE(decoded.version, GlobalVars::VersionText());
    QCOMPARE(decoded.entries.size(), 49);
    QCOMPARE(decoded.entries, ConfigCodec::entriesOf(written));

    // And through the file: a default configuration takes every value, no question asked.
    Configuration loaded;
    const QString path = m_dir.filePath(QStringLiteral("all.qcf"));
    QVERIFY(ConfigurationFile::SaveConfiguration(path, written, nullptr));
    QVERIFY(ConfigurationFile::LoadConfiguration(path, loaded, nullptr));
    QCOMPARE(m_dialogs->texts(), QStringList());
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
    const QByteArray file = fileWith(standardHeader(), {previousSection(1, high, low)});

    const ConfigCodec::Decoded decoded = ConfigCodec::decode(file);
    QCOMPARE(decoded.status, ConfigCodec::Status::Ok);
    QCOMPARE(decoded.dataFormat, 1);
    QCOMPARE(decoded.entries.size(), 22);
    QCOMPARE(decoded.endedAtEntry, ConfigCodec::NotEnded);

    Configuration c;
    QVERIFY(ConfigurationFile::LoadConfiguration(writeFile(file), c, nullptr));
    QCOMPARE(c.txtInsArticleRepeat, repeat);
    // Flag 1: Insert and enabled; other values leave the defaults.
    QCOMPARE(c.oNetworkName, 0);
    QCOMPARE(c.chCtrlNetworkName, 1);
    QCOMPARE(c.oCallLetters, 2);
    QCOMPARE(c.chCtrlCallLetters, 0);
    QCOMPARE(c.oTimeOfDay, 0);
    QCOMPARE(c.chCtrlTimeOfDay, 1);
    QCOMPARE(c.oTSID, 2);
    QCOMPARE(c.chCtrlTSID, 0);
    QCOMPARE(c.oProgramRating, 0);
    QCOMPARE(c.chCtrlProgramRating, 1);
    QCOMPARE(c.oWebTV, 0);
    QCOMPARE(c.chCtrlWebTV, 1);
    QCOMPARE(c.txtNetworkName, QStringLiteral("WXYZ"));
    QCOMPARE(c.txtTSID, QStringLiteral("4660"));
    QCOMPARE(c.chDSInEffect, 1);
    QCOMPARE(c.cmbProgramRating, 4);
    QCOMPARE(c.chProgramRatingFlags, QVector<int>({0, 1, 0, 1, 0}));
    QCOMPARE(c.txtWebDescription, QStringLiteral("Desc"));
    QCOMPARE(c.cmbWebExpiryYear, 0); // the old expiry texts are dropped
    QCOMPARE(c.txtSendCaptions, QStringLiteral("Hello"));
    QCOMPARE(c.oSendCaptions, 5);
    QCOMPARE(c.oDecoderSettings, 8);
    QCOMPARE(c.oInsertArticles, 3);

    QCOMPARE(m_dialogs->shown.size(), 1);
    QCOMPARE(m_dialogs->shown[0].icon, DialogService::Icon::Warning);
    QCOMPARE(m_dialogs->shown[0].text,
             QStringLiteral("You have selected a configuration file from a previous version of "
                            "Quillcast. Quillcast will convert the file to the current version "
                            "and set any new controls to their default values.\n\nIf you wish "
                            "to keep the previous version of this file then save the converted "
                            "configuration file with a new name using the \"File > Save As...\" "
                            "menu option."));
}

void tst_ConfigCodec::tagsBeforeTheFamilyTagSkipTheirSections()
{
    const QByteArray current = ConfigCodec::encode(everythingSet()).bytes;
    const QByteArray ourSection = current.mid(54);
    Bytes header;
    header.byte(1).number(12).raw("AB\x01\x02").raw("CD\x03\x04").raw(ConfigCodec::familyTag());
    const QByteArray other1 = QByteArray(17, '\x7f');
    const QByteArray other2 = QByteArray(3, '\x01');
    const QByteArray file = fileWith(header.out, {other1, other2, ourSection});

    const ConfigCodec::Decoded decoded = ConfigCodec::decode(file);
    QCOMPARE(decoded.status, ConfigCodec::Status::Ok);
    QCOMPARE(decoded.sectionIndex, 3);
    QCOMPARE(decoded.entries, ConfigCodec::entriesOf(everythingSet()));
}

void tst_ConfigCodec::unknownHeaderFieldsAreSkipped()
{
    Bytes header;
    header.byte(7).byte(0x40); // two unknown types, one byte each
    header.byte(255).number(5).raw("\x01\x02\x03\x04\x05");
    header.raw(standardHeader());
    header.byte(9);
    const QByteArray section = ConfigCodec::encode(everythingSet()).bytes.mid(54);
    const ConfigCodec::Decoded decoded = ConfigCodec::decode(fileWith(header.out, {section}));
    QCOMPARE(decoded.status, ConfigCodec::Status::Ok);
    QCOMPARE(decoded.version, QStringLiteral("1.0.4"));
    QCOMPARE(decoded.entries, ConfigCodec::entriesOf(everythingSet()));
}

void tst_ConfigCodec::headerWithoutTagListReadsFirstSection()
{
    Bytes header;
    header.byte(2).text("Someone Else").byte(3).text("9.9.9");
    const QByteArray section = ConfigCodec::encode(everythingSet()).bytes.mid(54);
    const ConfigCodec::Decoded decoded = ConfigCodec::decode(fileWith(header.out, {section}));
    QCOMPARE(decoded.status, ConfigCodec::Status::Ok);
    QCOMPARE(decoded.sectionIndex, 1);
    QCOMPARE(decoded.title, QStringLiteral("Someone Else"));
    QCOMPARE(decoded.entries.size(), 49);
}

namespace {

QByteArray validFile()
{
    return ConfigCodec::encode(everythingSet()).bytes;
}

QByteArray withByte(QByteArray file, int offset, char value)
{
    file[offset] = value;
    return file;
}

} // namespace

void tst_ConfigCodec::failuresHaveTheirOwnStatus_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<ConfigCodec::Status>("status");
    using S = ConfigCodec::Status;
    const QByteArray valid = validFile();
    Bytes noTag;
    noTag.byte(1).number(4).raw("T42Y").byte(2).text("Orvane Quillcast");
    Bytes emptyTagList;
    emptyTagList.byte(1).number(0);

    QTest::newRow("empty file") << QByteArray() << S::CouldNotOpen;
    QTest::newRow("magic only") << QByteArray("QCF") << S::CouldNotOpen;
    QTest::newRow("first byte differs") << withByte(valid, 0, 'X') << S::Invalid;
    QTest::newRow("format bytes differ") << withByte(valid, 5, 2) << S::Invalid;
    QTest::newRow("short foreign file") << QByteArray("PK") << S::Invalid;
    QTest::newRow("header cut short") << valid.left(30) << S::CouldNotOpen;
    QTest::newRow("no matching tag") << fileWith(noTag.out, {valid.mid(54)}) << S::Invalid;
    QTest::newRow("empty tag list") << fileWith(emptyTagList.out, {valid.mid(54)}) << S::Invalid;
    QTest::newRow("data length beyond the file")
        << withByte(withByte(valid, 52, 0x7f), 53, 0x7f) << S::Invalid;
    QTest::newRow("longer than 32767 bytes")
        << valid + QByteArray(ConfigCodec::MaxFileSize, '\0') << S::CouldNotOpen;
    QTest::newRow("header length above 32767") << withByte(valid, 6, 0x01) << S::CouldNotOpen;
    QTest::newRow("valid") << valid << S::Ok;
}

void tst_ConfigCodec::failuresHaveTheirOwnStatus()
{
    QFETCH(QByteArray, file);
    QFETCH(ConfigCodec::Status, status);
    QCOMPARE(ConfigCodec::decode(file).status, status);
}

void tst_ConfigCodec::failuresHaveTheirOwnMessage_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("loaded");
    const QByteArray valid = validFile();
    const QString couldNotOpen = QStringLiteral("The file could not be opened.  Please make sure "
                                                "it is not in use by another application.");
    const QString invalid =
        QStringLiteral("The file appears to be an invalid Configuration file or corrupt.");
    const QString import = QStringLiteral(
        "An error has occurred while importing the file.  Would you like to continue?");
    QTest::newRow("cut in the header") << valid.left(20) << couldNotOpen << false;
    QTest::newRow("not a configuration file") << QByteArray("hello world") << invalid << false;
    QTest::newRow("cut in the data") << valid.left(valid.size() - 3) << import << false;
    QTest::newRow("option beyond its group") << withByte(valid, 62 + 4, 3) << import << false;
}

void tst_ConfigCodec::failuresHaveTheirOwnMessage()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    QFETCH(bool, loaded);
    m_dialogs->answers = {DialogService::Answer::No};
    Configuration c;
    QCOMPARE(ConfigurationFile::LoadConfiguration(writeFile(file), c, nullptr), loaded);
    QCOMPARE(m_dialogs->texts(), QStringList{message});
    QCOMPARE(m_dialogs->shown[0].icon, DialogService::Icon::Warning);
}

void tst_ConfigCodec::everyTruncationIsRefusedCleanly()
{
    const QByteArray valid = validFile();
    for (int length = 0; length < valid.size(); ++length) {
        const QByteArray prefix = valid.left(length);
        const ConfigCodec::Decoded decoded = ConfigCodec::decode(prefix);
        const bool refused = decoded.status != ConfigCodec::Status::Ok ||
                             decoded.endedAtEntry != ConfigCodec::NotEnded;
        QVERIFY2(refused, qPrintable(QStringLiteral("prefix of %1 bytes accepted").arg(length)));
        QVERIFY(decoded.entries.size() < 49);

        // The loader answers each with one message and no partial success unless asked to go on.
        m_dialogs->clear();
        m_dialogs->answers = {DialogService::Answer::No};
        Configuration c;
        QVERIFY(!ConfigurationFile::LoadConfiguration(writeFile(prefix), c, nullptr));
        QCOMPARE(m_dialogs->shown.size(), 1);
    }
    QCOMPARE(ConfigCodec::decode(valid).endedAtEntry, ConfigCodec::NotEnded);
}

void tst_ConfigCodec::hostileLengthsAreRefused_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<ConfigCodec::Status>("status");
    QTest::addColumn<int>("endedAt");
    using S = ConfigCodec::Status;
    const int none = ConfigCodec::NotEnded;

    // A title that claims 32767 characters at the end of a 40-byte file.
    Bytes title;
    title.raw(Magic).number(29).byte(2).number(32767).raw(QByteArray(25, 'x'));
    QTest::newRow("title of 32767 in 40 bytes") << title.out << S::CouldNotOpen << none;

    Bytes huge;
    huge.raw(Magic).number(29).byte(2).number(0xFFFFFFFFu).raw(QByteArray(25, 'x'));
    QTest::newRow("length above 32767") << huge.out << S::CouldNotOpen << none;

    Bytes tags;
    tags.raw(Magic).number(4).byte(1).number(32767);
    QTest::newRow("32767 tags") << tags.out << S::CouldNotOpen << none;

    Bytes extension;
    extension.raw(Magic).number(8).byte(255).number(32767).raw("abcd");
    QTest::newRow("extension of 32767") << extension.out << S::CouldNotOpen << none;

    Bytes header;
    header.raw(Magic).number(32767).byte(9);
    QTest::newRow("header of 32767") << header.out << S::CouldNotOpen << none;

    // The data section's first text claims 32767 characters in a short file.
    Bytes data;
    data.raw(fileWith(standardHeader(), {}));
    data.number(12).number(2).number(32767).raw("ABCD");
    QTest::newRow("entry text of 32767") << data.out << S::Ok << 1;

    Bytes previous;
    previous.raw(fileWith(standardHeader(), {}));
    previous.number(20).number(1).text("WXYZ").byte(1).number(32000).raw("K");
    QTest::newRow("previous entry text of 32000") << previous.out << S::Ok << 3;

    // A section of another encoder family that claims more bytes than there are.
    Bytes twoTags;
    twoTags.byte(1).number(8).raw("ABCD").raw(ConfigCodec::familyTag());
    Bytes skipped;
    skipped.raw(fileWith(twoTags.out, {})).number(32767).raw(QByteArray(10, '\0'));
    QTest::newRow("skipped section of 32767") << skipped.out << S::CouldNotOpen << none;
}

void tst_ConfigCodec::hostileLengthsAreRefused()
{
    QFETCH(QByteArray, file);
    QFETCH(ConfigCodec::Status, status);
    QFETCH(int, endedAt);
    const ConfigCodec::Decoded decoded = ConfigCodec::decode(file);
    QCOMPARE(decoded.status, status);
    QCOMPARE(decoded.endedAtEntry, endedAt);
}

void tst_ConfigCodec::unbuildableConfigurationsFail_data()
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
}

void tst_ConfigCodec::unbuildableConfigurationsFail()
{
    QFETCH(Configuration, configuration);
    QFETCH(bool, builds);
    const ConfigCodec::Encoded encoded = ConfigCodec::encode(configuration);
    QCOMPARE(encoded.ok(), builds);
    QCOMPARE(encoded.bytes.isEmpty(), !builds);
    QVERIFY(encoded.bytes.size() <= ConfigCodec::MaxFileSize);

    // Nothing is written when the file cannot be built; the caller hears of it.
    const QString path = m_dir.filePath(QStringLiteral("unbuilt.qcf"));
    QFile::remove(path);
    bool thrown = false;
    try {
        ConfigurationFile::SaveConfiguration(path, configuration, nullptr);
    } catch (const ConfigurationFile::BuildError &) {
        thrown = true;
    }
    QCOMPARE(thrown, !builds);
    QCOMPARE(QFile::exists(path), builds);
    QCOMPARE(m_dialogs->shown.size(), 0);
}

QTEST_GUILESS_MAIN(tst_ConfigCodec)
#include "tst_configcodec.moc"
