#include "DataRows.h"
#include "core/commands/ControlProcessing.h"

#include <QTest>

namespace {

// Everything one builder call queues, as the bytes that go on the wire.
template <typename Call> QByteArray wire(const Configuration &c, Call call)
{
    QByteArray bytes;
    const ControlProcessing builders(c, {},
                                     [&bytes](const CtrlACommand &k) { bytes += k.wireBytes(); });
    call(builders);
    return bytes;
}

} // namespace

// The commands of single operations on the Caption Channels and Articles tabs, as they go on the
// wire (the Web TV trigger and its checksum are in the golden files).
class tst_CaptionArticleCommands : public QObject
{
    Q_OBJECT

private slots:
    // The test caption goes to one of eight channels (the decoder's codes are in the golden
    // files). An article's lines go whole, empty ones too, under the file's first word without
    // folder or extension; a file that could not be read queues nothing.
    void singleCommands_data()
    {
        addRows("single-commands", {"builder", "option", "article", "bytes"});
    }
    void singleCommands()
    {
        QFETCH(QString, builder);
        QFETCH(QString, option);
        QFETCH(QString, article);
        Configuration c;
        c.oSendCaptions = c.oInsertArticles = option.toInt();
        c.txtSendCaptions = QStringLiteral("HI");
        c.txtInsArticleRepeat = QStringLiteral("12");
        const QStringList lines = article == "(none)" ? QStringList() : article.split(';');
        QTEST(QString::fromLatin1(wire(c,
                                       [&](const ControlProcessing &b) {
                                           builder == "caption"
                                               ? b.buildTestCaptionCommand()
                                               : b.buildInsertArticleCommand(lines);
                                       })),
              "bytes");
    }
};

QTEST_GUILESS_MAIN(tst_CaptionArticleCommands)
#include "tst_caption_article_commands.moc"
