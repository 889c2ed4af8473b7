#include "core/simulator/EncoderSimulator.h"

#include "core/protocol/CtrlACommand.h"
#include "core/protocol/EncoderProtocol.h"

namespace {

const QByteArray Prompt =
    QByteArray(EncoderProtocol::Prompt.data(), EncoderProtocol::Prompt.size());
const QByteArray Done = QByteArrayLiteral("\r\nOK") + Prompt;
const QByteArray NotFound = QByteArrayLiteral("\r\nNot found") + Prompt;

// Bytes seen between commands (the ETX and CR that open the readiness query, stray line
// ends) are kept in front of the next command, but only this many.
constexpr int NoiseLimit = 16;

struct Article
{
    QString name;
    QString channel;
    QString repeat;
    QString content;
};

QString column(const QString &text, int width)
{
    return text.leftJustified(width);
}

} // namespace

struct EncoderSimulator::State
{
    bool silent = false;
    bool makerName = true;
    Faults faults;
    int commandCount = 0;
    bool dropped = false;
    bool stalled = false; // after a reply without its prompt, until the next readiness query
    quint32 random = 1;
    QList<ReceivedCommand> received;
    QList<Article> articles;
    bool hasLink = false;
    Article link;

    // The command being received.
    QByteArray bytes;
    bool inCommand = false;
    bool lineDone = false;
    QString mode;
    QString args;
    int contentStart = 0;

    void reset()
    {
        bytes.clear();
        inCommand = false;
        lineDone = false;
        mode.clear();
        args.clear();
    }

    QByteArray take(char byte, qint64 msecs);
    QByteArray complete(qint64 msecs, const QString &content);
    QByteArray withNoise(const QByteArray &reply); // line noise in front, by chance
    QByteArray answer(const QString &content);
    QByteArray articleList() const;
    QString identification() const;
    quint32 nextRandom()
    {
        random = random * 1103515245u + 12345u;
        return random >> 8;
    }
};

QByteArray EncoderSimulator::State::take(char byte, qint64 msecs)
{
    if (!inCommand) {
        if (byte == CtrlACommand::SOH) {
            inCommand = true;
            lineDone = false;
        } else if (bytes.size() >= NoiseLimit) {
            bytes.remove(0, 1);
        }
        bytes += byte;
        return QByteArray();
    }

    if (!lineDone) {
        if (byte == CtrlACommand::ETX) {
            // Ctrl-C in the middle of a command line cancels it, as at the terminal; the ETX
            // is kept as noise in front of whatever follows.
            reset();
            bytes += byte;
            return QByteArray();
        }
        if (byte == CtrlACommand::SOH) { // an unfinished line: start over
            reset();
            inCommand = true;
            bytes += byte;
            return QByteArray();
        }
        bytes += byte;
        if (byte != CtrlACommand::CR)
            return QByteArray();
        const int soh = bytes.lastIndexOf(CtrlACommand::SOH);
        const QString line = QString::fromLatin1(bytes.mid(soh + 1, bytes.size() - soh - 2));
        const int blank = line.indexOf(QLatin1Char(' '));
        mode = blank < 0 ? line : line.left(blank);
        args = blank < 0 ? QString() : line.mid(blank + 1);
        lineDone = true;
        contentStart = bytes.size();
        // Captions and stored items carry a body that ends with ETX; every other command
        // ends with its line.
        if (mode == QLatin1String("0") || mode == QLatin1String("2"))
            return QByteArray();
        return complete(msecs, QString());
    }

    bytes += byte;
    if (byte != CtrlACommand::ETX)
        return QByteArray();
    QByteArray body = bytes.mid(contentStart, bytes.size() - contentStart - 1);
    if (body.endsWith(CtrlACommand::CR))
        body.chop(1);
    return complete(msecs, QString::fromLatin1(body));
}

QByteArray EncoderSimulator::State::complete(qint64 msecs, const QString &content)
{
    received.append({msecs, bytes});
    const bool query = mode == QLatin1String("?");
    if (silent) {
        answer(content);
        reset();
        return QByteArray();
    }
    // A command that reaches no working encoder (a dead line, a stalled or restarting one) has
    // no effect.
    if (dropped) {
        reset();
        return QByteArray();
    }
    const int number = ++commandCount;
    if (number == faults.hangupAfter) {
        dropped = true;
        reset();
        return QByteArray();
    }
    if (number == faults.resetAfter) {
        stalled = false;
        reset();
        return withNoise(identification().toLatin1() + Prompt);
    }
    if (query)
        stalled = false;
    if (stalled) {
        reset();
        return QByteArray();
    }
    QByteArray reply = answer(content);
    reset();
    if (number == faults.noPromptAfter) {
        stalled = true;
        reply.chop(Prompt.size());
    }
    return withNoise(reply);
}

QByteArray EncoderSimulator::State::withNoise(const QByteArray &reply)
{
    if (faults.garbageRate <= 0 || nextRandom() % 10000 >= faults.garbageRate * 10000)
        return reply;
    QByteArray noise(int(1 + nextRandom() % 64), '\0');
    for (char &byte : noise)
        byte = char(nextRandom() & 0xFF);
    return noise + reply;
}

QByteArray EncoderSimulator::State::answer(const QString &content)
{
    const QStringList words = args.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString name = words.value(0);
    // Only the upper-case word names the Web TV link; "url" is an ordinary article name.
    const bool isLink = name == QLatin1String("URL");

    if (mode == QLatin1String("?"))
        return identification().toLatin1() + Prompt;
    if (mode == QLatin1String("9"))
        return articleList();

    if (mode == QLatin1String("0")) {
        const Article item{name, words.value(1), words.value(2), content};
        if (isLink) {
            link = item;
            hasLink = true;
            return Done;
        }
        for (Article &article : articles) {
            if (article.name.compare(name, Qt::CaseInsensitive) == 0) {
                article = item;
                return Done;
            }
        }
        articles.append(item);
        return Done;
    }

    if (mode == QLatin1String("4")) {
        if (isLink) {
            const bool had = hasLink;
            hasLink = false;
            return had ? Done : NotFound;
        }
        for (int i = 0; i < articles.size(); ++i) {
            if (articles.at(i).name.compare(name, Qt::CaseInsensitive) == 0) {
                articles.removeAt(i);
                return Done;
            }
        }
        return NotFound;
    }

    return Done;
}

// The directory as the encoder lists it: a heading, the numbered status lines, a divider,
// the Web TV link and one line per article, then the prompt.
QByteArray EncoderSimulator::State::articleList() const
{
    auto row = [](const Article &a) {
        const QString text = a.content.section(QLatin1Char('\r'), 0, 0).left(24);
        return column(a.name, 10) + column(a.channel, 6) + column(a.repeat, 8) + text +
               QLatin1String("\r\n");
    };
    int used = 0;
    for (const Article &a : articles)
        used += a.content.size();

    QString list = QStringLiteral("\r\nArticle Directory\r\n");
    list += QStringLiteral("Name      Chan  Repeat  Text\r\n");
    list += QStringLiteral("01 Memory 32768 bytes, %1 used\r\n").arg(used);
    list += QStringLiteral("03 Stored: %1\r\n").arg(articles.size());
    list += QStringLiteral("05 Web TV link: %1\r\n")
                .arg(hasLink ? QLatin1String("on") : QLatin1String("off"));
    list += QStringLiteral("07 Channels T1 T2 T3 T4\r\n");
    list += QStringLiteral("--------  ----  ------  ------------------------\r\n");
    if (hasLink)
        list += row(link);
    for (const Article &a : articles)
        list += row(a);
    for (int i = 1; list.size() + 1 < faults.hugeReply; ++i)
        list += row({QStringLiteral("FILL%1").arg(i, 5, 10, QLatin1Char('0')), QStringLiteral("T1"),
                     QStringLiteral("1"), QStringLiteral("Late news and weather")});
    list += QLatin1Char('*');
    return list.toLatin1();
}

QString EncoderSimulator::State::identification() const
{
    // Says what it is, so that nobody takes it for a real encoder; the maker line keeps the
    // maker's name and " --", which the readiness check and the identification need.
    const QString banner =
        QStringLiteral("Simulated Encoder --  Version 3.10\r\nSerial 001234  Rev B");
    return QLatin1String("\r\n") +
           (makerName ? QString(EncoderProtocol::MakerName) + QLatin1Char(' ') + banner : banner);
}

EncoderSimulator::EncoderSimulator() : s(std::make_shared<State>()) {}

QByteArray EncoderSimulator::receive(const QByteArray &bytes, qint64 msecsSinceEpoch)
{
    QByteArray reply;
    for (char byte : bytes)
        reply += s->take(byte, msecsSinceEpoch);
    return reply;
}

void EncoderSimulator::setSilent(bool silent)
{
    s->silent = silent;
}

void EncoderSimulator::setMakerName(bool on)
{
    s->makerName = on;
}

QString EncoderSimulator::identification() const
{
    return s->identification();
}

void EncoderSimulator::setFaults(const Faults &faults)
{
    s->faults = faults;
    s->random = faults.seed;
}

bool EncoderSimulator::lineDropped() const
{
    return s->dropped;
}

void EncoderSimulator::lineRestored()
{
    s->dropped = false;
    s->reset();
}

QList<EncoderSimulator::ReceivedCommand> EncoderSimulator::received() const
{
    return s->received;
}

void EncoderSimulator::clearReceived()
{
    s->received.clear();
}

QStringList EncoderSimulator::articleNames() const
{
    QStringList names;
    for (const Article &a : s->articles)
        names << a.name;
    return names;
}
