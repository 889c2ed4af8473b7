#include "core/session/EncoderChannel.h"

#include "core/transport/PortLine.h"

EncoderChannel::EncoderChannel(QObject *parent) : EncoderChannel(new PortLine, parent) {}

EncoderChannel::EncoderChannel(PortLine *port, QObject *parent) : QObject(parent), m_comm(port)
{
    m_comm->setParent(this);
    connect(m_comm, &PortLine::charactersReceived, this, &EncoderChannel::readReceived);
}

EncoderChannel::~EncoderChannel() = default; // the port wrapper, a child, closes its port

void EncoderChannel::setCOMSettings(const LineSettings &settings)
{
    m_comm->setCOMSettings(settings);
}

const LineSettings &EncoderChannel::getCOMSettings() const
{
    return m_comm->getCOMSettings();
}

PortLine *EncoderChannel::port() const
{
    return m_comm;
}

bool EncoderChannel::openPort()
{
    if (!m_comm->openPort())
        return false;
    // A new session starts with nothing received: a partial reply of an earlier one would hide
    // the maker's name of the next reply.
    m_reader.clear();
    return true;
}

void EncoderChannel::closePort()
{
    m_comm->closePort();
}

bool EncoderChannel::portIsOpen() const
{
    return m_comm->portIsOpen();
}

bool EncoderChannel::portIsOpening() const
{
    return m_comm->portIsOpening();
}

bool EncoderChannel::isPortReady()
{
    if (!m_comm->portIsOpen() || m_comm->inputBufferCount() != 0 ||
        m_comm->outputBufferCount() != 0)
        return false;
    const QString query = QString::fromLatin1(CtrlACommand::readinessQuery());
    m_comm->writeText(query);
    m_reader.expectQueryReply();
    emit textSent(QStringLiteral("?"), query);
    return true;
}

void EncoderChannel::sendCommand(const CtrlACommand &command)
{
    const QString text = command.wireText();
    m_comm->writeText(text);
    emit textSent(command.mode, text);
}

void EncoderChannel::setIdentificationSource(std::function<QString()> source)
{
    m_reader.setIdentificationSource(std::move(source));
}

bool EncoderChannel::readyQueryPending() const
{
    return m_reader.queryReplyPending();
}

bool EncoderChannel::replyAnsweredQuery() const
{
    return m_reader.replyAnsweredQuery();
}

QString EncoderChannel::rxBuffer() const
{
    return m_reader.collected();
}

void EncoderChannel::readReceived()
{
    switch (m_reader.add(m_comm->takeInput())) {
    case ReplyReader::Outcome::ReplyComplete:
        emit replyReady(m_reader.takeReply());
        break;
    case ReplyReader::Outcome::ReplyTooLong:
        emit replyTooLong(m_reader.discardedCount());
        break;
    case ReplyReader::Outcome::Waiting:
        break;
    }
}
