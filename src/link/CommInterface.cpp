#include "link/CommInterface.h"

#include "link/Communications.h"

namespace {

const QString Prompt = QStringLiteral("\r\n*");
const QString MakerName = QStringLiteral("Orvane");
const QString ArticleWord = QStringLiteral("Article");
const QString TruncatedHeading = QStringLiteral("  (LIST TRUNCATED DUE TO LENGTH!)");
constexpr int ArticleListLimit = 512;
// Noise on an idle line never ends with a prompt; beyond this the oldest characters go, so the
// buffer and the work of each receive event stay bounded.
constexpr qsizetype ReceiveBufferLimit = 1024 * 1024;

} // namespace

CommInterface::CommInterface(QObject *parent) : CommInterface(new Communications, parent) {}

CommInterface::CommInterface(Communications *port, QObject *parent) : QObject(parent), m_comm(port)
{
    m_comm->setParent(this);
    connect(m_comm, &Communications::CharactersRx, this, &CommInterface::CommClass_CharactersRx);
}

CommInterface::~CommInterface() = default; // the port wrapper, a child, closes its port

void CommInterface::setCOMSettings(const COMSettings &settings)
{
    m_comm->setCOMSettings(settings);
}

const COMSettings &CommInterface::getCOMSettings() const
{
    return m_comm->getCOMSettings();
}

Communications *CommInterface::CommClass() const
{
    return m_comm;
}

bool CommInterface::Connect()
{
    if (!m_comm->Connect())
        return false;
    // A new session starts with nothing received: a partial reply of an earlier one would hide
    // the maker's name of the next reply.
    m_rxBuffer.clear();
    m_readyQueryPending = false;
    return true;
}

void CommInterface::Disconnect()
{
    m_comm->Disconnect();
}

bool CommInterface::PortIsOpen() const
{
    return m_comm->PortIsOpen();
}

bool CommInterface::IsPortReady()
{
    if (!m_comm->PortIsOpen() || m_comm->GetInputBufferCount() != 0 ||
        m_comm->GetOutputBufferCount() != 0)
        return false;
    const QString query = QString::fromLatin1(CtrlACommand::readinessQuery());
    m_comm->SetOutput(query);
    m_readyQueryPending = true;
    emit textSent(QStringLiteral("?"), query);
    return true;
}

void CommInterface::CtrlA(const CtrlACommand &command)
{
    const QString text = command.wireText();
    m_comm->SetOutput(text);
    emit textSent(command.mode, text);
}

void CommInterface::setIdentificationSource(std::function<QString()> source)
{
    m_identification = std::move(source);
}

bool CommInterface::readyQueryPending() const
{
    return m_readyQueryPending;
}

QString CommInterface::rxBuffer() const
{
    return m_rxBuffer;
}

void CommInterface::CommClass_CharactersRx()
{
    m_rxBuffer += m_comm->GetInput();
    if (m_rxBuffer.size() > ReceiveBufferLimit)
        m_rxBuffer.remove(0, m_rxBuffer.size() - ReceiveBufferLimit);

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

    m_readyQueryPending = false;
    emit Ready(m_rxBuffer);
    m_rxBuffer.clear();
}
