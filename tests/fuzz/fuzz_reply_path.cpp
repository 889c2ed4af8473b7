// The receiving side of the Ctrl-A channel: whatever arrives on the line, in whatever pieces,
// goes through reply assembly (EncoderChannel) and the reading of the article list. Byte 0 seeds
// the piece sizes, the rest is what the encoder sends. Every reply ends with the prompt CR LF "*",
// and the replies and what stays in the buffer are exactly the bytes received.

#include "core/session/EncoderChannel.h"
#include "core/transport/PortLine.h"
#include "core/transport/SerialDevice.h"

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
    bool setLineSettings(const LineSettings &) override { return true; }
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
    static EncoderChannel *channel = [] {
        auto *port = new PortLine(QStringList{QStringLiteral("fuzz")});
        port->setDeviceFactory([](const QString &) { return device = new FeedDevice; });
        auto *c = new EncoderChannel(port);
        c->setCOMSettings(LineSettings{1, QString(), 9600, QStringLiteral("N"), 8, 1});
        c->port()->setPause([](int) {});
        // An encoder whose long article lists are not cut short.
        c->setIdentificationSource([] {
            return QStringLiteral("Connected to Orvane T90 Closed Caption Encoder, Serial");
        });
        return c;
    }();
    if (size < 1)
        return 0;
    const QByteArray stream(reinterpret_cast<const char *>(data + 1),
                            int(qMin<size_t>(size - 1, 2048)));
    require(channel->openPort(), "the line opens");
    if (!channel->rxBuffer().isEmpty())
        device->deliver("Orvane\r\n*"); // closes off a reply left by the run before
    QString replies;
    QObject receiver;
    QObject::connect(channel, &EncoderChannel::replyReady, &receiver, [&](const QString &reply) {
        require(reply.endsWith(QLatin1String("\r\n*")), "a reply ends with the prompt");
        replies += reply;
    });
    quint32 seed = data[0] * 2654435761u + 1;
    for (int at = 0, piece = 0; at < stream.size(); at += piece) {
        seed = seed * 1103515245u + 12345u;
        piece = 1 + int((seed >> 16) % 97);
        device->deliver(stream.mid(at, piece));
    }
    const QString left = channel->rxBuffer();
    channel->closePort();
    require(replies + left == QString::fromLatin1(stream),
            "the replies and the rest of the buffer are the bytes received");
    return 0;
}
