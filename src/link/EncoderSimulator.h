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

    EncoderSimulator();

    // Feeds received bytes at the given time; returns the reply bytes to send back (empty when
    // the command is not complete yet, or when silent).
    QByteArray receive(const QByteArray &bytes, qint64 msecsSinceEpoch);

    void setSilent(bool silent); // never answers
    void setMakerName(bool on);  // false: the identification lacks "Orvane"
    QString identification() const;

    QList<ReceivedCommand> received() const;
    void clearReceived();
    QStringList articleNames() const; // articles stored with mode "0" and not removed

private:
    struct State;
    std::shared_ptr<State> s;
};
