#pragma once

#include <QByteArray>
#include <QList>

// The Telnet framing of a connection to a serial device server: fed the bytes that arrive, in
// pieces of any size, it hands back the data bytes of the line and keeps the Telnet commands
// and sub-negotiations apart as events; encode() turns line data into bytes for the connection.
// No socket: the caller owns the connection.
class TelnetFraming
{
public:
    enum Code : quint8
    {
        SE = 240,
        SB = 250,
        WILL = 251,
        WONT = 252,
        DO = 253,
        DONT = 254,
        IAC = 255
    };
    enum Option : quint8
    {
        Binary = 0,
        SuppressGoAhead = 3,
        ComPort = 44
    };

    struct Event
    {
        enum Kind
        {
            Command,        // IAC and a command byte without an option (NOP, GA, ...)
            Negotiation,    // IAC WILL/WONT/DO/DONT option
            SubNegotiation, // IAC SB option payload IAC SE, payload without the doubling
            Dropped         // a sub-negotiation longer than MaxSubNegotiation, discarded
        };
        Kind kind;
        quint8 code;   // the command (for SubNegotiation and Dropped: SB)
        quint8 option; // Negotiation, SubNegotiation and Dropped
        QByteArray payload;
        bool operator==(const Event &o) const
        {
            return kind == o.kind && code == o.code && option == o.option && payload == o.payload;
        }
    };

    // A sub-negotiation that has not ended after this many bytes is dropped and the bytes after
    // it are data again: a peer that never ends one cannot stop the line for good.
    static constexpr int MaxSubNegotiation = 4096;

    // The data bytes in these bytes; commands go to the events.
    QByteArray feed(const QByteArray &bytes);
    QList<Event> takeEvents();
    // Line data as bytes for the connection: a data byte 255 is doubled and, while the peer
    // does not take binary data, a CR that is not followed by LF is sent as CR NUL.
    QByteArray encode(const QByteArray &data) const;
    void reset(); // a new connection: no command in progress, nothing agreed

    // Agreed by negotiation. Without binary transmission a CR NUL from the peer is a bare CR.
    void setBinaryIn(bool on) { m_binaryIn = on; }
    void setBinaryOut(bool on) { m_binaryOut = on; }

    static QByteArray negotiation(quint8 verb, quint8 option);
    static QByteArray subNegotiation(quint8 option, const QByteArray &payload);

private:
    enum class State
    {
        Data,
        CarriageReturn, // a CR arrived as data; a NUL after it is part of it
        Iac,
        Verb,      // WILL/WONT/DO/DONT arrived, the option byte comes next
        SubOption, // SB arrived, the option byte comes next
        Sub,
        SubIac
    };
    void command(quint8 code, QByteArray *data);

    State m_state = State::Data;
    quint8 m_verb = 0;
    quint8 m_option = 0;
    QByteArray m_sub;
    bool m_binaryIn = false;
    bool m_binaryOut = false;
    QList<Event> m_events;
};
