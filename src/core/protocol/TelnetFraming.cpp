#include "core/protocol/TelnetFraming.h"

QByteArray TelnetFraming::feed(const QByteArray &bytes)
{
    QByteArray data;
    data.reserve(bytes.size());
    for (const char ch : bytes) {
        const quint8 byte = quint8(ch);
        switch (m_state) {
        case State::CarriageReturn:
            m_state = State::Data;
            if (byte == 0)
                break;
            [[fallthrough]];
        case State::Data:
            if (byte == IAC) {
                m_state = State::Iac;
            } else {
                data.append(ch);
                if (byte == '\r' && !m_binaryIn)
                    m_state = State::CarriageReturn;
            }
            break;
        case State::Iac:
            command(byte, &data);
            break;
        case State::Verb:
            m_events.append({Event::Negotiation, m_verb, byte, {}});
            m_state = State::Data;
            break;
        case State::SubOption:
            m_option = byte;
            m_sub.clear();
            m_state = State::Sub;
            break;
        case State::Sub:
            if (byte == IAC) {
                m_state = State::SubIac;
            } else if (m_sub.size() < MaxSubNegotiation) {
                m_sub.append(ch);
            } else {
                // Never ended: what follows is taken as data again.
                m_events.append({Event::Dropped, SB, m_option, {}});
                m_sub.clear();
                m_state = State::Data;
                data.append(ch);
            }
            break;
        case State::SubIac:
            if (byte == IAC) {
                m_sub.append(ch);
                m_state = State::Sub;
                break;
            }
            // IAC SE ends it; any other command ends it too (a peer that forgot the SE), and is
            // then taken as that command.
            m_events.append({Event::SubNegotiation, SB, m_option, m_sub});
            m_sub.clear();
            if (byte == SE)
                m_state = State::Data;
            else
                command(byte, &data);
            break;
        }
    }
    return data;
}

void TelnetFraming::command(quint8 code, QByteArray *data)
{
    switch (code) {
    case IAC:
        data->append(char(IAC));
        m_state = State::Data;
        break;
    case WILL:
    case WONT:
    case DO:
    case DONT:
        m_verb = code;
        m_state = State::Verb;
        break;
    case SB:
        m_state = State::SubOption;
        break;
    default:
        m_events.append({Event::Command, code, 0, {}});
        m_state = State::Data;
        break;
    }
}

QList<TelnetFraming::Event> TelnetFraming::takeEvents()
{
    QList<Event> events;
    events.swap(m_events);
    return events;
}

QByteArray TelnetFraming::encode(const QByteArray &data) const
{
    QByteArray bytes;
    bytes.reserve(data.size() + 8);
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char ch = data.at(i);
        bytes.append(ch);
        if (quint8(ch) == IAC)
            bytes.append(ch);
        else if (ch == '\r' && !m_binaryOut && (i + 1 == data.size() || data.at(i + 1) != '\n'))
            bytes.append('\0');
    }
    return bytes;
}

void TelnetFraming::reset()
{
    m_state = State::Data;
    m_sub.clear();
    m_binaryIn = m_binaryOut = false;
    m_events.clear();
}

QByteArray TelnetFraming::negotiation(quint8 verb, quint8 option)
{
    const char bytes[] = {char(IAC), char(verb), char(option)};
    return QByteArray(bytes, sizeof bytes);
}

QByteArray TelnetFraming::subNegotiation(quint8 option, const QByteArray &payload)
{
    QByteArray bytes = negotiation(SB, option);
    bytes += QByteArray(payload).replace(QByteArray(1, char(IAC)), QByteArray(2, char(IAC)));
    return bytes + char(IAC) + char(SE);
}
