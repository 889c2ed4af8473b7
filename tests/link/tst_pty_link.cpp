#include "LineSettings.h"
#include "SimProcess.h"
#include "TestSettings.h"
#include "common/AppSettings.h"
#include "link/CommInterface.h"
#include "link/Communications.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A channel on a running simulator's device, reached the way the program reaches it: through
// the "Devices" entry of the settings store.
struct Link
{
    SimProcess sim;
    std::unique_ptr<CommInterface> channel;
    std::unique_ptr<QSignalSpy> ready;

    bool open(const QStringList &options = {})
    {
        if (!sim.start(options))
            return false;
        AppSettings::save("COMSettings", "Devices", sim.slavePath());
        channel = std::make_unique<CommInterface>();
        channel->setCOMSettings(lineSettings(channel->CommClass()->PortForDevice(sim.slavePath())));
        ready = std::make_unique<QSignalSpy>(channel.get(), &CommInterface::Ready);
        return channel->Connect();
    }
    QString reply(int index) const { return ready->at(index).at(0).toString(); }
};

// The bytes of each command the simulator logged, as hex.
QStringList loggedBytes(const QString &path)
{
    QFile file(path);
    QStringList commands;
    if (file.open(QIODevice::ReadOnly))
        for (const QString &line :
             QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts))
            commands << line.section('\t', 1, 1);
    return commands;
}

// SOH 2 blank T1 CR ... CR ETX: 120 characters.
const CtrlACommand caption120("2", "T1", QString(112, QLatin1Char('x')), true, true);

// The pieces in the simulator's chunk log as "size@ms" (from the first piece): blocks read
// within a few milliseconds of each other belong to one piece.
QStringList pieces(const QString &chunkLog)
{
    QFile file(chunkLog);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QPoint> found; // x: milliseconds after the first block, y: size
    qint64 first = -1;
    int last = 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        const int size = fields.value(1).toInt();
        if (size == 0)
            continue;
        if (first < 0)
            first = fields.value(0).toLongLong();
        const int at = int(fields.value(0).toLongLong() - first);
        if (!found.isEmpty() && at - last < 5)
            found.last().ry() += size;
        else
            found << QPoint(at, size);
        last = at;
    }
    QStringList text;
    for (const QPoint &p : found)
        text << QStringLiteral("%1@%2").arg(p.y()).arg(p.x());
    return text;
}

// Three pieces of 50, 50 and 20 characters, each at least 18 ms after the one before.
bool pacedApart(const QStringList &pieces)
{
    const auto at = [&](int i) { return pieces.value(i).section('@', 1).toInt(); };
    return pieces.size() == 3 && pieces.at(0).startsWith("50@") && pieces.at(1).startsWith("50@") &&
           pieces.at(2).startsWith("20@") && at(1) >= 18 && at(2) - at(1) >= 18;
}

} // namespace

// The pacing of a long command as quillcast-encoder-sim sees it over a pseudo-terminal.
class TestPtyLink : public QObject
{
    Q_OBJECT
private slots:

private:
    QTemporaryDir m_dir;

private slots:
    void init()
    {
        TestSettings::wipe();
        QVERIFY(m_dir.isValid());
    }

    void longCommandArrivesInPacedPieces()
    {
        // The simulator may be scheduled late and read two pieces at once; the pacing is proven
        // by any one attempt in which the three pieces arrive apart.
        QString report;
        for (int attempt = 0; attempt < 5; ++attempt) {
            const QString chunks = m_dir.filePath(QStringLiteral("chunks%1.log").arg(attempt));
            const QString log = m_dir.filePath(QStringLiteral("commands%1.log").arg(attempt));
            Link link;
            QVERIFY2(link.open({"--log-chunks", chunks, "--log", log}),
                     qPrintable(link.sim.errorString()));
            link.channel->CtrlA(caption120);
            QVERIFY(link.ready->wait(3000));
            QCOMPARE(link.reply(0), QStringLiteral("\r\nOK\r\n*"));
            QCOMPARE(loggedBytes(log),
                     QStringList{QString::fromLatin1(caption120.wireBytes().toHex(' ').toUpper())});
            report = pieces(chunks).join(' ');
            if (pacedApart(pieces(chunks)))
                return;
        }
        QFAIL(qPrintable("pieces (size@ms): " + report));
    }
};

QTEST_GUILESS_MAIN(TestPtyLink)
#include "tst_pty_link.moc"
