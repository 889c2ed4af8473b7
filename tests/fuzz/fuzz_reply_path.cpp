// The receiving side of the Ctrl-A channel: whatever arrives on the line, in whatever pieces,
// goes through reply assembly (CommInterface), the readiness rule, and the identification and
// article-list reading of the sequencer.
//
// Input: byte 0 chooses the set-up (bit 0: a readiness query is pending; bits 1-2: the encoder
// identification shown, which decides whether long article lists are cut short), byte 1 seeds
// the piece sizes, the rest is what the encoder sends. The bytes are fed once whole, once one at
// a time and once in pseudo-random pieces. Checked for every input:
// - every reply ends with the prompt CR LF "*", and the first one after a readiness query
//   carries the maker's name;
// - while lists are not cut short, the replies followed by what stays in the buffer are exactly
//   the bytes received, and a reply ends at a piece boundary exactly where feeding one byte at
//   a time would end one: the pieces decide only where replies may end, never what they hold;
// - the identification and article names read from each reply obey their rules.

#include "link/CommInterface.h"
#include "link/Communications.h"
#include "link/Sequencer.h"
#include "link/SerialDevice.h"

#include <QCoreApplication>
#include <QList>
#include <QSet>
#include <cstdio>
#include <cstdlib>

namespace {

// A line whose received bytes the fuzzer decides; what the channel sends is dropped.
class FeedDevice : public SerialDevice
{
public:
    QString deviceName() const override { return QStringLiteral("fuzz"); }
    bool setLineSettings(const COMSettings &) override { return true; }
    OpenResult open() override
    {
        m_open = true;
        return OpenResult::Opened;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    void write(const QByteArray &) override {}
    QByteArray readAll() override
    {
        QByteArray bytes;
        bytes.swap(m_waiting);
        return bytes;
    }
    void discardInput() override { m_waiting.clear(); }
    qint64 bytesAvailable() const override { return m_waiting.size(); }
    qint64 bytesToWrite() const override { return 0; }

    // One receive event carrying exactly these bytes.
    void deliver(const QByteArray &bytes)
    {
        m_waiting += bytes;
        emit readyRead();
    }

private:
    QByteArray m_waiting;
    bool m_open = false;
};

const QString Prompt = QStringLiteral("\r\n*");

void require(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "property failed: %s\n", what);
    std::abort();
}

struct Outcome
{
    QStringList replies;
    QList<int> ends; // offset just past each reply in the received bytes
    QString left;    // what stayed in the buffer
};

struct Channel
{
    FeedDevice *device = nullptr;
    CommInterface *channel = nullptr;
    QString identification;

    Channel()
    {
        auto *port = new Communications(QStringList{QStringLiteral("fuzz")});
        port->setDeviceFactory([this](const QString &) { return device = new FeedDevice; });
        channel = new CommInterface(port);
        COMSettings line;
        line.port = 1;
        line.baud = 9600;
        line.parity = QStringLiteral("N");
        line.dataBits = 8;
        line.StopBits = 1;
        channel->setCOMSettings(line);
        channel->CommClass()->setPause([](int) {});
        channel->setIdentificationSource([this] { return identification; });
    }

    // Feeds the stream in pieces that end at the given offsets (the last one is the size).
    Outcome feed(const QByteArray &stream, const QList<int> &cuts, bool query)
    {
        require(channel->Connect(), "the line opens");
        // Each run starts with an empty buffer and no pending query: a leftover reply is
        // closed off here first.
        if (!channel->rxBuffer().isEmpty() || channel->readyQueryPending())
            device->deliver("Orvane\r\n*");
        require(channel->rxBuffer().isEmpty() && !channel->readyQueryPending(),
                "a closed reply empties the buffer");
        if (query)
            require(channel->IsPortReady(), "the query goes out on an idle line");

        Outcome outcome;
        int fed = 0;
        QObject receiver;
        QObject::connect(channel, &CommInterface::Ready, &receiver, [&](const QString &reply) {
            outcome.replies << reply;
            outcome.ends << fed;
        });
        int start = 0;
        for (int cut : cuts) {
            fed = cut;
            device->deliver(stream.mid(start, cut - start));
            start = cut;
        }
        outcome.left = channel->rxBuffer();
        channel->Disconnect();
        return outcome;
    }
};

void checkParsing(const QString &reply)
{
    const QString identification = Sequencer::IdentificationFromReply(reply);
    if (!identification.isNull()) {
        require(identification.startsWith(QLatin1String("Connected to ")),
                "the identification begins with \"Connected to \"");
        const int maker = reply.indexOf(QLatin1String("Orvane"), 0, Qt::CaseInsensitive);
        require(maker >= 0 && maker <= 8, "only a maker name near the start identifies");
    }
    const QStringList names = Sequencer::ArticleNames(reply);
    if (!reply.contains(QLatin1String("Article"), Qt::CaseInsensitive) ||
        !reply.contains(QLatin1String("Text"), Qt::CaseInsensitive))
        require(names.isEmpty(), "only an article list with its heading has names");
    for (const QString &name : names) {
        require(!name.contains(QLatin1Char(' ')), "a name holds no blank");
        require(!name.startsWith(QLatin1Char('-')) && name != QLatin1String("URL") &&
                    !QStringList({"01", "03", "05", "07"}).contains(name.left(2)),
                "status lines, dividers and the Web TV link are not names");
        require(reply.contains(name), "a name comes from the reply");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_reply_path";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static Channel link;

    if (size < 2)
        return 0;
    const bool query = data[0] & 1;
    static const QString identifications[] = {
        QString(), QStringLiteral("Connected to Orvane T42X Closed Caption Encoder, Serial"),
        QStringLiteral("Connected to Orvane T90 Closed Caption Encoder, Serial"),
        QStringLiteral("Connected to Orvane, ")};
    link.identification = identifications[(data[0] >> 1) & 3];
    const bool cutShort =
        link.identification.isEmpty() || link.identification.contains(QLatin1String("T42"));
    // Longer streams add nothing the article-list limit of 512 characters does not already see,
    // and feeding them one byte at a time would only slow the search down.
    const QByteArray stream(reinterpret_cast<const char *>(data + 2),
                            int(qMin<size_t>(size - 2, 2048)));
    const int n = int(stream.size());

    QList<int> whole{n};
    QList<int> single;
    for (int i = 1; i <= n; ++i)
        single << i;
    QList<int> pieces;
    quint32 seed = data[1] * 2654435761u + 1;
    for (int at = 0; at < n;) {
        seed = seed * 1103515245u + 12345u;
        at = qMin(n, at + 1 + int((seed >> 16) % 97));
        pieces << at;
    }

    const QString received = QString::fromLatin1(stream);
    QList<Outcome> outcomes;
    for (const QList<int> &cuts : {single, whole, pieces}) {
        const Outcome outcome = link.feed(stream, cuts, query);
        for (int i = 0; i < outcome.replies.size(); ++i) {
            require(outcome.replies.at(i).endsWith(Prompt), "a reply ends with the prompt");
            checkParsing(outcome.replies.at(i));
        }
        if (query && !outcome.replies.isEmpty())
            require(outcome.replies.first().contains(QLatin1String("Orvane"), Qt::CaseInsensitive),
                    "the reply to a readiness query names the maker");
        outcomes << outcome;
    }
    if (cutShort)
        return 0;

    const Outcome &bytewise = outcomes.at(0);
    const QSet<int> bytewiseEnds(bytewise.ends.cbegin(), bytewise.ends.cend());
    const QList<QList<int>> splits{single, whole, pieces};
    for (int s = 0; s < outcomes.size(); ++s) {
        const Outcome &outcome = outcomes.at(s);
        require(outcome.replies.join(QString()) + outcome.left == received,
                "the replies and the rest of the buffer are the bytes received");
        QList<int> expectedEnds;
        for (int cut : splits.at(s)) {
            if (bytewiseEnds.contains(cut))
                expectedEnds << cut;
        }
        require(outcome.ends == expectedEnds,
                "replies end where one-byte pieces end them, at the piece boundaries");
    }
    return 0;
}
