#include "DataRows.h"

#include "core/protocol/ReplyReader.h"

using Outcome = ReplyReader::Outcome;

// When the text of receive events makes a whole reply: completion, long article lists and
// replies over the cap.
class tst_ReplyReader : public QObject
{
    Q_OBJECT

private slots:

    // tests/data/reply-completion.rows
    void completion_data() { addRows("reply-completion", {"events", "replies", "last"}); }
    void completion()
    {
        QFETCH(QString, events);
        QFETCH(QString, replies);
        QFETCH(QString, last);
        ReplyReader reader;
        QStringList counts;
        QStringList done;
        for (const QString &event : events.split(';')) {
            if (reader.add(event) == Outcome::ReplyComplete)
                done << reader.takeReply();
            counts << QString::number(done.size());
        }
        QCOMPARE(counts.join(' '), replies);
        QCOMPARE(done.value(done.size() - 1), last);
        QCOMPARE(reader.collected(), last.isEmpty() ? events.remove(';') : QString());
    }

    // tests/data/long-article-lists.rows
    void longArticleLists_data()
    {
        addRows("long-article-lists", {"identification", "heading", "length", "truncated"});
    }
    void longArticleLists()
    {
        QFETCH(QString, identification);
        QFETCH(QString, heading);
        QFETCH(QString, length);
        QFETCH(QString, truncated);
        ReplyReader reader;
        reader.setIdentificationSource([identification] { return identification; });
        QString sent = "\r\n" + heading + " Text\r\n";
        while (sent.size() < length.toInt())
            sent += QStringLiteral("NAME%1 T1 1\r\n").arg(sent.size(), 4, 10, QLatin1Char('0'));
        sent.truncate(length.toInt());
        const bool complete = reader.add(sent) == Outcome::ReplyComplete;
        QCOMPARE(complete, !truncated.isEmpty());
        if (complete)
            QCOMPARE(reader.takeReply(), "  (LIST TRUNCATED DUE TO LENGTH!)\r\n" + sent + "\r\n*");
        else
            QCOMPARE(reader.collected(), sent);
    }

    // A reply that outgrows the cap is reported, never passed on cut at its front; the rest of
    // it is dropped up to its prompt (split across events here) and the next reply is whole.
    void overlongReplyIsReported()
    {
        const int limit = 1024 * 1024;
        ReplyReader reader;
        QCOMPARE(reader.add(QString(limit, QLatin1Char('x'))), Outcome::Waiting);
        QCOMPARE(reader.add(QStringLiteral("xx")), Outcome::ReplyTooLong);
        QCOMPARE(reader.discardedCount(), limit + 2);
        QVERIFY(reader.collected().isEmpty());
        for (const char *rest : {"xxx\r", "\n*"})
            QCOMPARE(reader.add(QString::fromLatin1(rest)), Outcome::Waiting);
        QCOMPARE(reader.add(QStringLiteral("\r\nOK\r\n*")), Outcome::ReplyComplete);
        QCOMPARE(reader.takeReply(), QStringLiteral("\r\nOK\r\n*"));
    }
};

QTEST_APPLESS_MAIN(tst_ReplyReader)
#include "tst_reply_reader.moc"
