#include "ScriptedDialogs.h"
#include "SimProcess.h"
#include "TestSettings.h"

#include "common/AppSettings.h"
#include "link/CommInterface.h"
#include "link/Communications.h"
#include "link/Sequencer.h"
#include "ui/frmMainWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// The encoder's pseudo-terminal becomes the stored port, as an operator would have chosen it.
bool startEncoder(SimProcess &sim, const QStringList &options)
{
    TestSettings::wipe();
    if (!sim.start(options))
        return false;
    AppSettings::save(QStringLiteral("COMSettings"), QStringLiteral("Devices"), sim.slavePath());
    AppSettings::save(QStringLiteral("COMSettings"), QStringLiteral("Device"), sim.slavePath());
    return true;
}

// The window, after its start-up, over a running quillcast-encoder-sim.
struct Window
{
    SimProcess sim;
    const bool started;
    ScriptedDialogs dialogs;
    frmMainWindow w{DefaultInfo{"Quill Network", "KQIL", "1234"}};

    explicit Window(const QStringList &options = {}) : started(startEncoder(sim, options))
    {
        w.offerLastFile();
    }
    Sequencer *link() const { return w.sequencer(); }
    QString panel(int index) const { return w.textPanel(index)->text(); }
    bool drained() const
    {
        return link()->CommandQueue().isEmpty() && !link()->timerCommTimeout()->isActive();
    }
};

const QString kIdentification = QStringLiteral("Connected to Orvane Simulated Encoder, Serial");

} // namespace

class tst_WindowLinkE2E : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

private slots:
    void initTestCase();
    void connectShowsTheEncoder();
    void sendConfigurationRefreshesArticles();
    void silentEncoderTimesOut();
};

void tst_WindowLinkE2E::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("HOME", QFile::encodeName(m_home.path()));
    qunsetenv("QUILLCAST_SIMULATOR");
}

void tst_WindowLinkE2E::connectShowsTheEncoder()
{
    Window window;
    QVERIFY2(window.started, qPrintable(window.sim.errorString()));
    const CommInterface *channel = window.link()->CommIFace();
    QCOMPARE(channel->CommClass()->PortDevice(channel->getCOMSettings().port),
             window.sim.slavePath());

    QTest::mouseClick(window.w.cmdConnect(), Qt::LeftButton);
    QCOMPARE(window.w.cmdConnect()->text(), QStringLiteral("&Connecting..."));
    QTRY_COMPARE_WITH_TIMEOUT(window.panel(2), kIdentification, 5000);
    QCOMPARE(window.w.cmdConnect()->text(), QStringLiteral("Dis&connect"));
    QCOMPARE(window.panel(0), QStringLiteral(" Connected"));

    QTest::mouseClick(window.w.cmdConnect(), Qt::LeftButton);
    QCOMPARE(window.panel(0), QStringLiteral(" Disconnected"));
    QCOMPARE(window.panel(2), QString());
    QVERIFY(window.dialogs.shown.isEmpty());
}

void tst_WindowLinkE2E::sendConfigurationRefreshesArticles()
{
    Window window;
    QVERIFY2(window.started, qPrintable(window.sim.errorString()));
    auto *list = window.w.findChild<QPlainTextEdit *>(QStringLiteral("txtArticleList"));
    auto *names = window.w.findChild<QComboBox *>(QStringLiteral("cmbRemoveArticle"));
    QVERIFY(list && names);
    Sequencer *link = window.link();
    QTest::mouseClick(window.w.cmdConnect(), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(link->linkState(), 1, 5000);

    // Two articles already stored in the encoder, one of them the Web TV link.
    link->AddCommand(QStringLiteral("0"), QStringLiteral("NEWS T2 3"),
                     QStringLiteral("Top stories at eleven"), true, true);
    link->AddCommand(QStringLiteral("0"), QStringLiteral("URL T2 0"),
                     QStringLiteral("<http://example.invalid>"), true, true);
    link->StartTransaction();
    QTRY_VERIFY_WITH_TIMEOUT(window.drained(), 5000);
    QCOMPARE(names->count(), 0);

    QTest::mouseClick(window.w.cmdSendConfig(), Qt::LeftButton);
    QCOMPARE(window.w.cmdSendConfig()->text(), QStringLiteral("Sendin&g..."));
    QTRY_VERIFY_WITH_TIMEOUT(window.drained(), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(window.w.cmdSendConfig()->text(),
                              QStringLiteral("Send Confi&guration"), 5000);
    QCOMPARE(window.w.cmdConnect()->text(), QStringLiteral("Dis&connect"));

    QVERIFY2(list->toPlainText().startsWith(QLatin1String("Article Directory")),
             qPrintable(list->toPlainText()));
    QCOMPARE(names->count(), 1);
    QCOMPARE(names->itemText(0), QStringLiteral("NEWS"));
    QCOMPARE(window.panel(2), kIdentification);
    QVERIFY2(window.dialogs.shown.isEmpty(), qPrintable(window.dialogs.texts().join('\n')));
}

void tst_WindowLinkE2E::silentEncoderTimesOut()
{
    Window window({QStringLiteral("--silent")});
    QVERIFY2(window.started, qPrintable(window.sim.errorString()));
    QTest::mouseClick(window.w.cmdConnect(), Qt::LeftButton);
    QTimer *timeout = window.link()->timerCommTimeout();
    QVERIFY(timeout->isActive());
    QCOMPARE(timeout->interval(), 3000);

    // The real time-out, once: three seconds of silence.
    QTRY_COMPARE_WITH_TIMEOUT(window.dialogs.shown.size(), 1, 6000);
    QCOMPARE(window.dialogs.texts(),
             QStringList{"Quillcast could not connect to the Encoder.  Please check the cabling "
                         "and that the COM Port settings match the Encoder Serial Port settings."});
    QCOMPARE(window.link()->linkState(), 0);
    QCOMPARE(window.w.cmdConnect()->text(), QStringLiteral("&Connect"));
    QCOMPARE(window.panel(0), QStringLiteral(" Disconnected"));
    QVERIFY(!window.link()->CommIFace()->PortIsOpen());
    QVERIFY(!timeout->isActive());
}

QTEST_MAIN(tst_WindowLinkE2E)
#include "tst_window_link_e2e.moc"
