// The receiving side of the Ctrl-A channel: whatever arrives on the line, in whatever pieces,
// goes through reply assembly (CommInterface), the readiness rule and the reading of the
// identification and article list. Byte 0 chooses the set-up (bit 0: a readiness query is
// pending; bits 1-2: the encoder identification shown, which decides whether long article lists
// are cut short), byte 1 seeds the piece sizes, the rest is what the encoder sends, fed once
// whole, once a byte at a time and once in pseudo-random pieces. Every reply ends with the prompt
// CR LF "*"; while lists are not cut short, the replies and what stays in the buffer are exactly
// the bytes received, and replies end at the piece boundaries where one-byte pieces end them.

#include "link/CommInterface.h"
#include "link/Communications.h"
#include "link/Sequencer.h"
#include "link/SerialDevice.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "property failed: %s\n", what);
        std::abort();
    }
}

// A line whose received bytes the fuzzer decides; what the channel sends is dropped.
class FeedDevice : public SerialDevice
{
public:
    QString deviceName() const override { return QStringLiteral("fuzz"); }
    bool setLineSettings(const COMSettings &) override { return true; }
    OpenResult open() override { return m_open = true, OpenResult::Opened; }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    void write(const QByteArray &) override {}
    QByteArray readAll() override { return std::exchange(m_waiting, {}); }
    void discardInput() override { m_waiting.clear(); }
    qint64 bytesAvailable() const override { return m_waiting.size(); }
    qint64 bytesToWrite() const override { return 0; }
    void deliver(const QByteArray &bytes) // one receive event
    {
        m_waiting += bytes;
        emit readyRead();
    }

private:
    QByteArray m_waiting;
    bool m_open = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_reply_path";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static FeedDevice *device = nullptr;
    static QString identification;
    static CommInterface *channel = [] {
        auto *port = new Communications(QStringList{QStringLiteral("fuzz")});
        port->setDeviceFactory([](const QString &) { return device = new FeedDevice; });
        auto *c = new CommInterface(port);
        c->setCOMSettings(COMSettings{1, QString(), 9600, QStringLiteral("N"), 8, 1});
        c->CommClass()->setPause([](int) {});
        c->setIdentificationSource([] { return identification; });
        return c;
    }();
    if (size < 2)
        return 0;
    const bool query = data[0] & 1;
    const QString identifications[] = {
        QString(), QStringLiteral("Connected to Orvane T42X Closed Caption Encoder, Serial"),
        QStringLiteral("Connected to Orvane T90 Closed Caption Encoder, Serial"),
        QStringLiteral("Connected to Orvane, ")};
    identification = identifications[(data[0] >> 1) & 3];
    const bool cutShort = identification.isEmpty() || identification.contains("T42");
    // Longer streams add nothing the article-list limit of 512 characters does not see.
    const QByteArray stream(reinterpret_cast<const char *>(data + 2),
                            int(qMin<size_t>(size - 2, 2048)));
    const int n = int(stream.size());
    QList<int> single, pieces;
    for (int i = 1; i <= n; ++i)
        single << i;
    quint32 seed = data[1] * 2654435761u + 1;
    for (int at = 0; at < n; pieces << at) {
        seed = seed * 1103515245u + 12345u;
        at = qMin(n, at + 1 + int((seed >> 16) % 97));
    }

    const QString received = QString::fromLatin1(stream);
    QList<int> bytewiseEnds;
    int pass = 0;
    for (const QList<int> &cuts : {single, QList<int>{n}, pieces}) {
        require(channel->Connect(), "the line opens");
        if (!channel->rxBuffer().isEmpty() || channel->readyQueryPending())
            device->deliver("Orvane\r\n*"); // closes off a reply left by the run before
        require(channel->rxBuffer().isEmpty() && !channel->readyQueryPending(),
                "a closed reply empties the buffer");
        require(!query || channel->IsPortReady(), "the query goes out on an idle line");
        QStringList replies;
        QList<int> ends; // offset just past each reply in the received bytes
        int start = 0;
        QObject receiver;
        QObject::connect(channel, &CommInterface::Ready, &receiver, [&](const QString &reply) {
            replies << reply;
            ends << start;
        });
        for (int cut : cuts) {
            const int from = std::exchange(start, cut);
            device->deliver(stream.mid(from, cut - from));
        }
        const QString left = channel->rxBuffer();
        channel->Disconnect();
        for (const QString &reply : std::as_const(replies)) {
            require(reply.endsWith(QLatin1String("\r\n*")), "a reply ends with the prompt");
            for (const QString &name : Sequencer::ArticleNames(reply))
                require(reply.contains(name) && !name.contains(' '), "a name comes from the reply");
        }
        require(!query || replies.isEmpty() || replies[0].contains("Orvane", Qt::CaseInsensitive),
                "the reply to a readiness query names the maker");
        if (pass++ == 0)
            bytewiseEnds = ends;
        if (cutShort)
            continue;
        require(replies.join(QString()) + left == received,
                "the replies and the rest of the buffer are the bytes received");
        QList<int> expectedEnds;
        for (int cut : cuts) {
            if (bytewiseEnds.contains(cut))
                expectedEnds << cut;
        }
        require(ends == expectedEnds, "replies end where one-byte pieces end them");
    }
    return 0;
}
