#include "core/session/EncoderChannel.h"

#include "core/transport/PortLine.h"

namespace {

const QString Prompt = QStringLiteral("\r\n*");
const QString MakerName = QStringLiteral("Orvane");
const QString ArticleWord = QStringLiteral("Article");
const QString TruncatedHeading = QStringLiteral("  (LIST TRUNCATED DUE TO LENGTH!)");
constexpr int ArticleListLimit = 512;

} // namespace

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
    m_rxBuffer.clear();
    m_readyQueryPending = false;
    m_discarding = false;
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
    m_readyQueryPending = true;
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
    m_identification = std::move(source);
}

bool EncoderChannel::readyQueryPending() const
{
    return m_readyQueryPending;
}

bool EncoderChannel::replyAnsweredQuery() const
{
    return m_replyAnsweredQuery;
}

QString EncoderChannel::rxBuffer() const
{
    return m_rxBuffer;
}

void EncoderChannel::readReceived()
{
    const QString received = m_comm->takeInput();
    if (m_discarding) {
        // The end of a reply that was too long: only its prompt ends the discarding.
        m_discarded += received.size();
        m_discardTail = (m_discardTail + received).right(Prompt.size());
        if (m_discardTail == Prompt)
            m_discarding = false;
        return;
    }
    m_rxBuffer += received;
    if (m_rxBuffer.size() > ReceiveBufferLimit) {
        // A reply cut at its front would pass for a whole one: it is reported instead, and
        // memory stays bounded.
        m_discarded = m_rxBuffer.size();
        m_rxBuffer.clear();
        m_discarding = !received.endsWith(Prompt);
        m_discardTail.clear();
        emit replyTooLong(m_discarded);
        return;
    }

    // Encoders that announce themselves as T42 (or not at all) send article lists longer
    // than they can finish; such a list is cut off here and closed with a prompt of its own.
    if (m_rxBuffer.contains(ArticleWord, Qt::CaseInsensitive)) {
        const QString identification = m_identification ? m_identification() : QString();
        if ((identification.isEmpty() ||
             identification.contains(QLatin1String("T42"), Qt::CaseInsensitive)) &&
            m_rxBuffer.size() >= ArticleListLimit)
            m_rxBuffer = TruncatedHeading + QLatin1String("\r\n") + m_rxBuffer + Prompt;
    }

    if (!m_rxBuffer.endsWith(Prompt))
        return;
    if (m_readyQueryPending && !m_rxBuffer.contains(MakerName, Qt::CaseInsensitive))
        return;

    m_replyAnsweredQuery = m_readyQueryPending;
    m_readyQueryPending = false;
    emit replyReady(m_rxBuffer);
    m_rxBuffer.clear();
}
