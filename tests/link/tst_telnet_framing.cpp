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
        QTest::addColumn<QString>("events"); // kind, code, option, payload in hexadecimal
        const QByteArray longSub =
            "\xff\xfa\x2c" + QByteArray(TelnetFraming::MaxSubNegotiation, 'x');
        const auto row = [](const char *name, const QByteArrayList &pieces, bool binary,
                            const QByteArray &data, const char *events) {
            QTest::newRow(name) << pieces << binary << data << QString(events);
        };
        row("IAC IAC is data 255", {"a\xff\xff\x62"}, true, "a\xff\x62", "");
        row("IAC IAC split", {"a\xff", "\xff\x62"}, true, "a\xff\x62", "");
        row("WILL split from its option", {"\xff", "\xfb", "\x01x"}, true, "x", "1 251 1");
        row("two negotiations in a row", {"\xff\xfd\x2c\xff\xfe\x18"}, true, "",
            "1 253 44;1 254 24");
        row("SB split, 255 inside", {"\xff\xfa\x2c\x65\xff", "\xff\x01\xff", "\xf0z"}, true, "z",
            "2 250 44 65ff01");
        row("SB ended by another command", {"\xff\xfa\x2c\x65\xff\xfd\x01"}, true, "",
            "2 250 44 65;1 253 1");
        row("command without option", {"\xff\xf1ok"}, true, "ok", "0 241 0");
        row("unterminated SB dropped", {longSub, "data"}, true, "data", "3 250 44");
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
            for (const TelnetFraming::Event &e : framing.takeEvents())
                events << QStringLiteral("%1 %2 %3 %4")
                              .arg(e.kind)
                              .arg(e.code)
                              .arg(e.option)
                              .arg(QString(e.payload.toHex()))
                              .trimmed();
        }
        QTEST(data, "data");
        QTEST(events.join(';'), "events");
    }
};

QTEST_APPLESS_MAIN(tst_TelnetFraming)
#include "tst_telnet_framing.moc"
