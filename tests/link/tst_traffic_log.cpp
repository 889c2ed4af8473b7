#include "FixedClock.h"
#include "LineSettings.h"
#include "ScriptedDialogs.h"
#include "TabsWindow.h"

#include "link/CommInterface.h"
#include "link/Communications.h"
#include "link/EncoderSimulator.h"
#include "link/Sequencer.h"
#include "link/TrafficLog.h"
#include "ui/frmTrafficLog.h"

#include <QAccessible>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

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

    // Bytes that are neither printable nor named go out as hexadecimal; events as they are.
    void linesAreReadable_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("line");
        QTest::newRow("other bytes as hex")
            << int(D::Received) << "15" << QString::fromLatin1("a\x1b\tb\xe9\x7f<>")
            << "05:06:07.089  <  15  a<1B><09>b<E9><7F><>";
        QTest::newRow("event text as it is")
            << int(D::Event) << ""
            << "connected to tcp://127.0.0.1:4001"
            << "05:06:07.089  -      connected to tcp://127.0.0.1:4001";
    }
    void linesAreReadable()
    {
        QFETCH(int, direction);
        QFETCH(QString, mode);
        QFETCH(QString, text);
        QFETCH(QString, line);
        QCOMPARE(TrafficFormat::line({at().toMSecsSinceEpoch(), D(direction), mode, text}), line);
    }

    void showsAShortExchange()
    {
        ScriptedDialogs dialogs;
        FixedClock clock(at());
        QWidget window;
        auto *channel = new CommInterface(new Communications(QStringList()));
        Sequencer sequencer(&window, channel);
        COMSettings settings = lineSettings(1, 1200, "O", 7, 1);
        settings.device = Communications::simulatedDeviceName();
        channel->setCOMSettings(settings);
        TrafficLog log;
        log.attach(&sequencer);

        sequencer.AddCommand(QStringLiteral("2"), QStringLiteral("C1"), QStringLiteral("HELLO"),
                             true, true);
        sequencer.AddCommand(QStringLiteral("4"), QStringLiteral("GONE"));
        sequencer.cmdConnect_Click();
        QVERIFY(QTest::qWaitFor([&] { return sequencer.linkState() == 1; }, 5000));

        clock.set(at(250));
        channel->CommClass()->simulatedEncoder()->setSilent(true);
        sequencer.AddCommand(QStringLiteral("9"));
        sequencer.StartTransaction();
        clock.set(at(3250));
        sequencer.timerCommTimeout_Timer(); // the 3000 ms time-out, driven

        const QStringList expected = {
            "05:06:07.089  -      connected to Simulated encoder",
            "05:06:07.089  >  ?   <ETX><CR><SOH>?<CR>",
            "05:06:07.089  <  ?   <CR><LF>Orvane Simulated Encoder --  Version "
            "3.10<CR><LF>Serial 001234  Rev B<CR><LF>*",
            "05:06:07.089  >  2   <SOH>2 C1<CR>HELLO<CR><ETX>",
            "05:06:07.089  <  2   <CR><LF>OK<CR><LF>*",
            "05:06:07.089  >  4   <SOH>4 GONE<CR>",
            "05:06:07.089  <  4   <CR><LF>Not found<CR><LF>*",
            "05:06:07.339  >  ?   <ETX><CR><SOH>?<CR>",
            "05:06:10.339  -  ?   time-out: no complete reply within 3000 ms",
            "05:06:10.339  -      disconnected from Simulated encoder",
        };
        QStringList lines;
        for (int row = 0; row < log.rowCount(); ++row)
            lines << log.data(log.index(row)).toString();
        QCOMPARE(lines, expected);
        QCOMPARE(log.text(), expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        QCOMPARE(dialogs.shown.size(), 1); // the time-out's own message, as ever
    }

    void keepsTheLastTenThousandLines()
    {
        TrafficLog log;
        QSignalSpy removed(&log, &QAbstractItemModel::rowsRemoved);
        const int total = TrafficLog::MaximumLines + 3;
        for (int i = 1; i <= total; ++i)
            log.append(TrafficEntry{at().toMSecsSinceEpoch(), D::Event, QString(),
                                    QStringLiteral("#%1").arg(i)});
        QCOMPARE(log.rowCount(), 10000);
        QCOMPARE(removed.size(), 3);
        QVERIFY(log.line(0).endsWith(QLatin1String(" #4")));
        QVERIFY(log.line(9999).endsWith(QStringLiteral(" #%1").arg(total)));

        log.clear();
        QCOMPARE(log.rowCount(), 0);
    }

    // View > Traffic Log (Ctrl+L) shows the window's log beside the main window, and its
    // buttons copy, save and clear it.
    void windowFromTheViewMenu()
    {
        FixedClock clock(at());
        TabsWindow w;
        QVERIFY(w.show());
        QTest::keyClick(&w.top, Qt::Key_L, Qt::ControlModifier);
        auto *window = w.find<frmTrafficLog>("frmTrafficLog");
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
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(saved.readAll()), log->text());
        press("cmdClear");
        QCOMPARE(log->rowCount(), 0);
        QVERIFY(w.dialogs.shown.isEmpty());
    }
};

QTEST_MAIN(tst_TrafficLog)
#include "tst_traffic_log.moc"
