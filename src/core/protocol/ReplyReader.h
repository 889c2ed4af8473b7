#pragma once

#include <QString>
#include <functional>

// Collects the text an encoder sends until it makes one whole reply: text ending with the
// prompt, and after a readiness query text that also names the maker. Fed one receive event at
// a time, so that a prompt followed by more text in the same event does not end a reply. No
// port and no timer: the caller reads the line and says when the readiness query went out.
class ReplyReader
{
public:
    // The most a reply may hold, in characters.
    static constexpr qsizetype SizeLimit = 1024 * 1024;

    enum class Outcome
    {
        Waiting,       // no whole reply yet
        ReplyComplete, // takeReply() gives it
        // The text collected outgrew SizeLimit without its prompt: it is dropped, and so is
        // what follows until a receive event ends with the prompt. discardedCount() tells how
        // much was dropped.
        ReplyTooLong
    };

    // The encoder identification shown to the operator; long article lists are cut short
    // while it contains "T42" or is empty.
    void setIdentificationSource(std::function<QString()> source);

    // The readiness query has been sent: the next reply must name the maker.
    void expectQueryReply();
    bool queryReplyPending() const;
    // Whether the reply last completed answered a readiness query.
    bool replyAnsweredQuery() const;

    // Takes the text of one receive event.
    Outcome add(const QString &received);
    // The reply completed by the last add(); the reader then holds nothing.
    QString takeReply();
    qint64 discardedCount() const;
    // What has been collected towards the next reply.
    const QString &collected() const;

    // Starts afresh: nothing collected, no query pending, nothing being dropped.
    void clear();

private:
    QString m_collected;
    QString m_reply;
    bool m_queryPending = false;
    bool m_replyAnsweredQuery = false;
    bool m_discarding = false; // the rest of a reply that was too long
    qint64 m_discarded = 0;
    QString m_discardTail; // the last characters discarded, for a prompt split across events
    std::function<QString()> m_identification;
};
