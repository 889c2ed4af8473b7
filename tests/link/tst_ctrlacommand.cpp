#include "link/CtrlACommand.h"

#include <QtTest>

class TestCtrlACommand : public QObject
{
    Q_OBJECT
private slots:
    void wireBytes_data();
    void wireBytes();
    void readinessQuery();
    void newCommandIsEmpty();
};

void TestCtrlACommand::wireBytes_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("content");
    QTest::addColumn<bool>("ctrlC");
    QTest::addColumn<bool>("sendBlankContents");
    QTest::addColumn<QByteArray>("wire");

    QTest::newRow("article list request") << "9"
                                          << ""
                                          << "" << false << false << QByteArray::fromHex("01390D");
    QTest::newRow("caption line") << "2"
                                  << "C1"
                                  << "HELLO" << true << true
                                  << QByteArray::fromHex("01322043310D48454C4C4F0D03");
    QTest::newRow("empty caption line")
        << "2"
        << "C1"
        << "" << true << true << QByteArray::fromHex("01322043310D0D03");
    QTest::newRow("mode 2 bare") << "2"
                                 << ""
                                 << "" << false << false << QByteArray::fromHex("01320D");
    QTest::newRow("empty content without the blank flag") << "0"
                                                          << "URL T2 1 D O L"
                                                          << "" << true << false
                                                          << QByteArray("\x01"
                                                                        "0 URL T2 1 D O L\r\x03");
    QTest::newRow("content without ctrl-c")
        << "P"
        << "0501"
        << "X" << false << false << QByteArray("\x01P 0501\rX\r");
    QTest::newRow("article insert") << "0"
                                    << "Weather T3 12"
                                    << "Sunny\rWarm" << true << true
                                    << QByteArray("\x01"
                                                  "0 Weather T3 12\rSunny\rWarm\r\x03");
    QTest::newRow("article removal") << "4"
                                     << "Weather D"
                                     << "" << false << false
                                     << QByteArray("\x01"
                                                   "4 Weather D\r");
    QTest::newRow("latin-1 character is one byte") << "2"
                                                   << "T1" << QString(QChar(0xE9)) << true << false
                                                   << QByteArray("\x01"
                                                                 "2 T1\r\xE9\r\x03");
}

void TestCtrlACommand::wireBytes()
{
    QFETCH(QString, mode);
    QFETCH(QString, args);
    QFETCH(QString, content);
    QFETCH(bool, ctrlC);
    QFETCH(bool, sendBlankContents);
    QFETCH(QByteArray, wire);

    CtrlACommand command;
    command.mode = mode;
    command.args = args;
    command.content = content;
    command.ctrlC = ctrlC;
    command.sendBlankContents = sendBlankContents;

    QCOMPARE(command.wireBytes().toHex(' '), wire.toHex(' '));
    QCOMPARE(command.wireText().size(), wire.size());
}

void TestCtrlACommand::readinessQuery()
{
    QCOMPARE(CtrlACommand::readinessQuery().toHex(' '), QByteArray("03 0d 01 3f 0d"));
}

void TestCtrlACommand::newCommandIsEmpty()
{
    const CtrlACommand command;
    QVERIFY(command.mode.isEmpty() && command.args.isEmpty() && command.content.isEmpty());
    QVERIFY(!command.ctrlC && !command.sendBlankContents);
    QCOMPARE(command.wireBytes().toHex(' '), QByteArray("01 0d"));
}

QTEST_GUILESS_MAIN(TestCtrlACommand)
#include "tst_ctrlacommand.moc"
