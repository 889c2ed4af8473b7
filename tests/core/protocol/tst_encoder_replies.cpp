#include "DataRows.h"

#include "core/protocol/EncoderReplies.h"

// What encoder replies mean: the identification, the start-up banner, article names, and the
// time a command may take to get its reply.
class tst_EncoderReplies : public QObject
{
    Q_OBJECT

private slots:

    void commandTimeout_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("expected");
        QTest::newRow("store 1200") << "0" << 1200 << 13333;
        QTest::newRow("list 2400") << "9" << 2400 << 9167;
        QTest::newRow("caption 1200") << "2" << 1200 << 5000;
        QTest::newRow("no baud") << "9" << 0 << 5000;
    }

    void commandTimeout()
    {
        QFETCH(QString, mode);
        QFETCH(int, baud);
        QFETCH(int, expected);
        QCOMPARE(EncoderReplies::commandTimeout(mode, baud), expected);
    }

    // tests/data/identification.rows
    void identificationFromReply_data()
    {
        addRows("identification", {"reply", "identification", "banner"});
    }
    void identificationFromReply()
    {
        QFETCH(QString, reply);
        QFETCH(QString, identification);
        const QString text = EncoderReplies::identificationFromReply(reply);
        QCOMPARE(text, identification);
        QCOMPARE(text.isNull(), identification.isNull());
        QTEST(QString(EncoderReplies::isStartupBanner(reply) ? "yes" : ""), "banner");
    }

    // tests/data/article-names.rows
    void articleNames_data() { addRows("article-names", {"reply", "names"}); }
    void articleNames()
    {
        QFETCH(QString, reply);
        QFETCH(QString, names);
        QCOMPARE(EncoderReplies::articleNames(reply), names.split(' ', Qt::SkipEmptyParts));
    }
};

QTEST_APPLESS_MAIN(tst_EncoderReplies)
#include "tst_encoder_replies.moc"
