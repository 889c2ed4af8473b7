#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

// Plays the encoder's side of the terminal protocol, without any port or timer: bytes in,
// reply bytes out. Used in-process as the "Simulated encoder" port entry and, over a
// pseudo-terminal, by tools/quillcast-encoder-sim.
class EncoderSimulator
{
public:
    struct ReceivedCommand
    {
        qint64 msecsSinceEpoch; // when the command's last byte arrived
        QByteArray bytes;       // the whole command as received (SOH ... CR [content CR] [ETX])
    };

    // Faults on request, to try the program against an encoder that misbehaves. Commands are
    // counted from 1 as they arrive, readiness queries included; 0 turns a fault off.
    struct Faults
    {
        // The line goes dead when this command arrives, as if the cable were pulled: it is not
        // answered and lineDropped() turns true until lineRestored().
        int hangupAfter = 0;
        // Chance (0..1), before each reply, that line noise comes first: 1 to 64 random bytes
        // between the previous reply and this one.
        double garbageRate = 0;
        // The article list is padded with further articles to at least this many bytes.
        int hugeReply = 0;
        // This command's reply comes without its prompt, and nothing more is answered until
        // the next readiness query.
        int noPromptAfter = 0;
        // This command is lost to a power cycle: the start-up banner comes instead of its reply.
        int resetAfter = 0;
        quint32 seed = 1; // of the noise
    };

    EncoderSimulator();

    // Feeds received bytes at the given time; returns the reply bytes to send back (empty when
    // the command is not complete yet, or when silent).
    QByteArray receive(const QByteArray &bytes, qint64 msecsSinceEpoch);

    void setSilent(bool silent); // never answers
    void setMakerName(bool on);  // false: the identification lacks "Orvane"
    QString identification() const;

    void setFaults(const Faults &faults);
    bool lineDropped() const;
    void lineRestored(); // a new line: the encoder answers again

    QList<ReceivedCommand> received() const;
    void clearReceived();
    QStringList articleNames() const; // articles stored with mode "0" and not removed

private:
    struct State;
    std::shared_ptr<State> s;
};
