#include "link/CtrlACommand.h"

#include <QtTest>

class TestCtrlACommand : public QObject
{
    Q_OBJECT
private slots:
    void wireBytes_data();
    void wireBytes();
    void readinessQuery();
};

void TestCtrlACommand::wireBytes_data()
{
    QTest::addColumn<CtrlACommand>("command");
    QTest::addColumn<QByteArray>("wire");

    using C = CtrlACommand;
    QTest::newRow("empty command") << C() << QByteArray::fromHex("010D");
    QTest::newRow("article list request") << C("9") << QByteArray::fromHex("01390D");
    QTest::newRow("caption line") << C("2", "C1", "HELLO", true, true)
                                  << QByteArray::fromHex("01322043310D48454C4C4F0D03");
    QTest::newRow("empty caption line")
        << C("2", "C1", "", true, true) << QByteArray::fromHex("01322043310D0D03");
    QTest::newRow("empty content without the blank flag")
        << C("0", "URL T2 1 D O L", "", true) << QByteArray("\0010 URL T2 1 D O L\r\x03");
    QTest::newRow("content without ctrl-c") << C("P", "0501", "X") << QByteArray("\x01P 0501\rX\r");
    QTest::newRow("article insert") << C("0", "Weather T3 12", "Sunny\rWarm", true, true)
                                    << QByteArray("\0010 Weather T3 12\rSunny\rWarm\r\x03");
    QTest::newRow("article removal") << C("4", "Weather D") << QByteArray("\0014 Weather D\r");
    QTest::newRow("latin-1 character is one byte")
        << C("2", "T1", QString(QChar(0xE9)), true) << QByteArray("\0012 T1\r\xE9\r\x03");
}

void TestCtrlACommand::wireBytes()
{
    QFETCH(CtrlACommand, command);
    QFETCH(QByteArray, wire);
    QCOMPARE(command.wireBytes().toHex(' '), wire.toHex(' '));
    QCOMPARE(command.wireText().size(), wire.size());
}

void TestCtrlACommand::readinessQuery()
{
    QCOMPARE(CtrlACommand::readinessQuery().toHex(' '), QByteArray("03 0d 01 3f 0d"));
}

QTEST_GUILESS_MAIN(TestCtrlACommand)
#include "tst_ctrlacommand.moc"
