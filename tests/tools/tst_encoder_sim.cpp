#include "SimProcess.h"

#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>
#include <QUrl>

// quillcast-encoder-sim serving two encoders over TCP from one process: each answers on its own
// port with its own articles, and a fault on request changes the reply to the third command.
class tst_EncoderSim : public QObject
{
    Q_OBJECT

private slots:
    void twoEncodersOverTcp_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("third"); // the whole reply to the article list; "" closed
        const QString list = QStringLiteral("\r\nArticle Directory\r\n.*NEWS  .*");
        QTest::newRow("no fault") << QStringList() << list + "\r\n\\*";
        QTest::newRow("hang-up") << QStringList{"--hangup-after", "3"} << QString();
        QTest::newRow("garbage") << QStringList{"--garbage", "1"} << ".+" + list + "\r\n\\*";
        QTest::newRow("huge reply") << QStringList{"--huge-reply", "3000"} << list + ".{2500,}\\*";
        QTest::newRow("no prompt") << QStringList{"--no-prompt-after", "3"} << list + "[^*]";
        QTest::newRow("reset") << QStringList{"--reset-after", "3"}
                               << QStringLiteral("\r\nOrvane Simulated.*Rev B\r\n\\*");
    }
    void twoEncodersOverTcp()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, third);
        SimProcess sim;
        QVERIFY2(sim.start(QStringList{"--count", "2", "--tcp", "0"} + options),
                 qPrintable(sim.errorString()));
        const QStringList devices = sim.devices();
        QVERIFY(devices.size() == 2 && devices.at(0) != devices.at(1));
        QByteArray reply;
        QTcpSocket sockets[3]; // encoder 2, encoder 1, encoder 2 again
        // Sends a command on a socket, connected to the device first, and awaits the prompt.
        const auto ask = [&](int i, const QString &device, const QByteArray &command) {
            if (sockets[i].state() == QAbstractSocket::UnconnectedState) {
                sockets[i].connectToHost("127.0.0.1", quint16(QUrl(device).port()));
                connect(&sockets[i], &QTcpSocket::readyRead,
                        [&, i] { reply += sockets[i].readAll(); });
            }
            reply.clear();
            sockets[i].write(command);
            return QTest::qWaitFor([&] { return reply.endsWith("\r\n*"); }, 5000);
        };
        QVERIFY(ask(0, devices.at(1), "\x03\r\x01?\r") && ask(0, {}, "\0010 NEWS T1 1\rHi\x03"));
        reply.clear();
        sockets[0].write("\0019\r");
        const QRegularExpression expected('^' + third + '$',
                                          QRegularExpression::DotMatchesEverythingOption);
        QTRY_VERIFY_WITH_TIMEOUT(third.isEmpty()
                                     ? sockets[0].state() == QAbstractSocket::UnconnectedState
                                     : expected.match(QString::fromLatin1(reply)).hasMatch(),
                                 5000);
        // The other encoder has no article; after a hang-up the next connection is a new line
        // to the same encoder.
        QVERIFY(ask(1, devices.at(0), "\0019\r") && !reply.contains("NEWS"));
        if (third.isEmpty())
            QVERIFY(ask(2, devices.at(1), "\0019\r") && reply.contains("NEWS"));
    }
};

QTEST_MAIN(tst_EncoderSim)
#include "tst_encoder_sim.moc"
