#include "DataRows.h"
#include "core/schedule/ScheduleFile.h"

#include <QTest>

// The schedule file: every rule as a row, each bad row refused with its line, column and why.
class tst_ScheduleFile : public QObject
{
    Q_OBJECT

private slots:
    void rows_data() { addRows(QStringLiteral("schedule-rows"), {"text", "result"}); }
    void rows()
    {
        QFETCH(QString, text);
        QFETCH(QString, result);
        if (!text.contains(QLatin1Char('\n')) && !text.isEmpty())
            text.prepend(QStringLiteral("start,duration,program,system,rating,flags,cgms,aps,asb,"
                                        "encoders\n"));
        const ScheduleFile::Result read =
            ScheduleFile::parse(text.toUtf8(), QStringLiteral("FILE"), {"studio-a", "transmitter"});
        if (!read.problem.isEmpty()) {
            QVERIFY2(read.problem.startsWith(QStringLiteral("FILE:") + result),
                     qPrintable(read.problem));
            QVERIFY(read.events.isEmpty());
            return;
        }
        QStringList packets;
        for (const CtrlACommand &command : read.events.last().commands())
            packets << command.args;
        QCOMPARE(QStringLiteral("ok ") + packets.join(QStringLiteral("; ")), result);
    }
};

QTEST_GUILESS_MAIN(tst_ScheduleFile)
#include "tst_schedule_file.moc"
