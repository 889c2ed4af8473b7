#include "link/TelnetFraming.h"

#include <QTest>

// Telnet framing of a device server connection, fed in pieces as they arrive.
class tst_TelnetFraming : public QObject
{
    Q_OBJECT

private slots:
    void feed_data()
    {
        QTest::addColumn<QByteArrayList>("pieces");
        QTest::addColumn<bool>("binary");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("events");
        const QByteArray longSub =
            "\xff\xfa\x2c" + QByteArray(TelnetFraming::MaxSubNegotiation, 'x');
        const auto row = [](const char *name, const QByteArrayList &pieces, bool binary,
                            const QByteArray &data, const char *events) {
            QTest::newRow(name) << pieces << binary << data << QString(events);
        };
        row("IAC IAC is data 255",
            {"a\xff\xff"
             "b"},
            true,
            "a\xff"
            "b",
            "");
        row("IAC IAC split",
            {"a\xff", "\xff"
                      "b"},
            true,
            "a\xff"
            "b",
            "");
        row("WILL split from its option", {"\xff", "\xfb", "\x01x"}, true, "x", "251 1");
        row("two negotiations in a row", {"\xff\xfd\x2c\xff\xfe\x18"}, true, "", "253 44;254 24");
        row("SB split, 255 inside", {"\xff\xfa\x2c\x65\xff", "\xff\x01\xff", "\xf0z"}, true, "z",
            "SB 44 65ff01");
        row("SB ended by another command", {"\xff\xfa\x2c\x65\xff\xfd\x01"}, true, "",
            "SB 44 65;253 1");
        row("command without option", {"\xff\xf1ok"}, true, "ok", "241");
        row("unterminated SB dropped", {longSub, "data"}, true, "data", "drop 44");
        row("CR NUL without binary", {"a\r", QByteArray("\0b\r\n", 4)}, false, "a\rb\r\n", "");
        row("CR NUL in binary", {QByteArray("a\r\0", 3)}, true, QByteArray("a\r\0", 3), "");
    }
    void feed()
    {
        QFETCH(QByteArrayList, pieces);
        QFETCH(bool, binary);
        TelnetFraming framing;
        framing.setBinaryIn(binary);
        QByteArray data;
        QStringList events;
        for (const QByteArray &piece : pieces) {
            data += framing.feed(piece);
            for (const TelnetFraming::Event &e : framing.takeEvents()) {
                if (e.kind == TelnetFraming::Event::SubNegotiation)
                    events << QStringLiteral("SB %1 %2").arg(e.option).arg(e.payload.toHex());
                else if (e.kind == TelnetFraming::Event::Dropped)
                    events << QStringLiteral("drop %1").arg(e.option);
                else if (e.kind == TelnetFraming::Event::Negotiation)
                    events << QStringLiteral("%1 %2").arg(e.code).arg(e.option);
                else
                    events << QString::number(e.code);
            }
        }
        QTEST(data, "data");
        QTEST(events.join(';'), "events");
    }

    void encode_data()
    {
        QTest::addColumn<bool>("binary");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("binary") << true << QByteArray("\xff\r\x01?\r")
                                << QByteArray("\xff\xff\r\x01?\r");
        QTest::newRow("text") << false << QByteArray("a\rb\r\n\r")
                              << QByteArray("a\r\0b\r\n\r\0", 8);
    }
    void encode()
    {
        QFETCH(bool, binary);
        QFETCH(QByteArray, data);
        TelnetFraming framing;
        framing.setBinaryOut(binary);
        QTEST(framing.encode(data), "bytes");
    }
};

QTEST_APPLESS_MAIN(tst_TelnetFraming)
#include "tst_telnet_framing.moc"
