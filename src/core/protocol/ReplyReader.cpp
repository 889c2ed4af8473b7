#include "core/protocol/ReplyReader.h"

#include "core/protocol/EncoderProtocol.h"
#include "core/protocol/EncoderReplies.h"

#include <utility>

namespace {

const QString TruncatedHeading = QStringLiteral("  (LIST TRUNCATED DUE TO LENGTH!)");
constexpr int ArticleListLimit = 512;

} // namespace

void ReplyReader::setIdentificationSource(std::function<QString()> source)
{
    m_identification = std::move(source);
}

void ReplyReader::expectQueryReply()
{
    m_queryPending = true;
}

bool ReplyReader::queryReplyPending() const
{
    return m_queryPending;
}

bool ReplyReader::replyAnsweredQuery() const
{
    return m_replyAnsweredQuery;
}

ReplyReader::Outcome ReplyReader::add(const QString &received)
{
    const QLatin1String prompt = EncoderProtocol::Prompt;
    if (m_discarding) {
        // The end of a reply that was too long: only its prompt ends the discarding.
        m_discarded += received.size();
        m_discardTail = (m_discardTail + received).right(prompt.size());
        if (m_discardTail == prompt)
            m_discarding = false;
        return Outcome::Waiting;
    }
    m_collected += received;
    if (m_collected.size() > SizeLimit) {
        // A reply cut at its front would pass for a whole one: it is reported instead, and
        // memory stays bounded.
        m_discarded = m_collected.size();
        m_collected.clear();
        m_discarding = !received.endsWith(prompt);
        m_discardTail.clear();
        return Outcome::ReplyTooLong;
    }

    // Encoders that announce themselves as T42 (or not at all) send article lists longer
    // than they can finish; such a list is cut off here and closed with a prompt of its own.
    if (EncoderReplies::isArticleList(m_collected)) {
        const QString identification = m_identification ? m_identification() : QString();
        if ((identification.isEmpty() ||
             identification.contains(QLatin1String("T42"), Qt::CaseInsensitive)) &&
            m_collected.size() >= ArticleListLimit)
            m_collected = TruncatedHeading + QLatin1String("\r\n") + m_collected + prompt;
    }

    if (!m_collected.endsWith(prompt))
        return Outcome::Waiting;
    if (m_queryPending && !m_collected.contains(EncoderProtocol::MakerName, Qt::CaseInsensitive))
        return Outcome::Waiting;

    m_replyAnsweredQuery = m_queryPending;
    m_queryPending = false;
    m_reply = m_collected;
    m_collected.clear();
    return Outcome::ReplyComplete;
}

QString ReplyReader::takeReply()
{
    return std::exchange(m_reply, QString());
}

qint64 ReplyReader::discardedCount() const
{
    return m_discarded;
}

const QString &ReplyReader::collected() const
{
    return m_collected;
}

void ReplyReader::clear()
{
    m_collected.clear();
    m_reply.clear();
    m_queryPending = false;
    m_discarding = false;
}
