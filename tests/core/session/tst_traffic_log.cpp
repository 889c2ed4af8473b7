#include "FixedClock.h"
#include "GoldenFiles.h"
#include "SimLink.h"
#include "TabsWindow.h"

#include "core/session/TrafficLog.h"
#include "ui/TrafficLogWindow.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QListView>
#include <QTemporaryDir>

namespace {

using D = TrafficEntry::Direction;

// 05:06:07.089 local time, plus the given milliseconds.
QDateTime at(int msecs = 0)
{
    return QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7, 89)).addMSecs(msecs);
}

} // namespace

// The traffic log: what was sent to the encoder, what it answered, and when.
class tst_TrafficLog : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

private slots:
    void initTestCase()
    {
        qputenv("HOME", QFile::encodeName(m_home.path()));
        TestSettings::wipe();
    }

    // Bytes that are neither printable nor named go out as hexadecimal.
    void linesAreReadable()
    {
        QCOMPARE(TrafficFormat::line({at().toMSecsSinceEpoch(), D::Received, "15",
                                      QString::fromLatin1("a\x1b\tb\xe9\x7f<>")}),
                 "05:06:07.089  <  15  a<1B><09>b<E9><7F><>");
        // A long reply: its start, then its full length.
        const QString line = TrafficFormat::line(
            {at().toMSecsSinceEpoch(), D::Received, "9", "\r" + QString(1 << 20, 'x')});
        QCOMPARE(line, "05:06:07.089  <  9   <CR>" + QString(4095, 'x') + " ... 1048577 bytes");
    }

    void showsAShortExchange()
    {
        FixedClock clock(at());
        SimLink link;
        TrafficLog log;
        log.attach(link.sequencer);
        QVERIFY(link.connect());

        clock.set(at(250));
        link.encoder()->setSilent(true);
        link.sequencer->addCommand("9");
        link.sequencer->startTransaction();
        clock.set(at(3250));
        link.sequencer->replyTimedOut(); // the 3000 ms time-out, driven

        const QStringList expected = {
            "05:06:07.089  -      connected to Simulated encoder",
            "05:06:07.089  >  ?   <ETX><CR><SOH>?<CR>",
            "05:06:07.089  <  ?   <CR><LF>Orvane Simulated Encoder --  Version "
            "3.10<CR><LF>Serial 001234  Rev B<CR><LF>*",
            "05:06:07.339  >  ?   <ETX><CR><SOH>?<CR>",
            "05:06:10.339  -  ?   time-out: no complete reply within 3000 ms",
            "05:06:10.339  -      disconnected from Simulated encoder",
        };
        QCOMPARE(log.text(), expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    }

    void keepsTheLastTenThousandLines()
    {
        TrafficLog log;
        const int total = TrafficLog::MaximumLines + 3;
        for (int i = 1; i <= total; ++i)
            log.append(TrafficEntry{at().toMSecsSinceEpoch(), D::Event, QString(),
                                    QStringLiteral("#%1").arg(i)});
        QCOMPARE(log.rowCount(), 10000);
        QVERIFY(log.line(0).endsWith(QLatin1String(" #4")));
        QVERIFY(log.line(9999).endsWith(QStringLiteral(" #%1").arg(total)));
    }

    // View > Traffic Log (Ctrl+L) shows the window's log beside the main window, and its
    // buttons copy, save and clear it.
    void windowFromTheViewMenu()
    {
        FixedClock clock(at());
        TabsWindow w;
        QVERIFY(w.show());
        QTest::keyClick(&w.top, Qt::Key_L, Qt::ControlModifier);
        auto *window = w.find<TrafficLogWindow>("frmTrafficLog");
        QVERIFY(window->isVisible() && window->isWindow() && !window->isModal());
        auto *list = window->lstTraffic();
        QCOMPARE(QAccessible::queryAccessibleInterface(list)->text(QAccessible::Name),
                 QStringLiteral("Commands and replies:"));

        // The main window's link writes into the log while the window is open.
        QVERIFY(w.connect());
        auto *log = qobject_cast<TrafficLog *>(list->model());
        QCOMPARE(log->rowCount(), 3);
        const auto press = [window](const char *button) {
            QTest::mouseClick(window->findChild<QPushButton *>(button), Qt::LeftButton);
        };
        press("cmdCopy");
        QCOMPARE(QGuiApplication::clipboard()->text(), log->text());
        list->setCurrentIndex(log->index(1));
        press("cmdCopy");
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("05:06:07.089  >  ?   <ETX><CR><SOH>?<CR>\n"));
        const QString path = m_home.filePath(QStringLiteral("traffic.txt"));
        w.dialogs.savePaths << path;
        press("cmdSaveAs");
        QCOMPARE(QString::fromUtf8(contentsOf(path)), log->text());
        press("cmdClear");
        QCOMPARE(log->rowCount(), 0);
    }
};

QTEST_MAIN(tst_TrafficLog)
#include "tst_traffic_log.moc"
