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

const QString kIdentification =
    QStringLiteral("Connected to Orvane T42X Closed Caption Encoder, Serial");

// The named control, made on the given tab when the tab does not provide it (yet).
template <typename T> T *control(frmMainWindow &window, const QString &name, int tab)
{
    if (T *existing = window.findChild<T *>(name))
        return existing;
    T *made = new T(window.tabMain()->widget(tab));
    made->setObjectName(name);
    return made;
}

QString boxText(QWidget *box)
{
    if (auto *plain = qobject_cast<QPlainTextEdit *>(box))
        return plain->toPlainText();
    return box->property("text").toString();
}

// The encoder's pseudo-terminal is the stored port, as an operator would have chosen it.
void storePort(const QString &device)
{
    TestSettings::wipe();
    AppSettings::save(QStringLiteral("COMSettings"), QStringLiteral("Devices"), device);
    AppSettings::save(QStringLiteral("COMSettings"), QStringLiteral("Device"), device);
}

bool drained(Sequencer *link)
{
    return link->CommandQueue().isEmpty() && !link->timerCommTimeout()->isActive();
}

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
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    storePort(sim.slavePath());
    ScriptedDialogs dialogs;
    frmMainWindow window(DefaultInfo{"Quill Network", "KQIL", "1234"});
    window.offerLastFile();
    const Communications *ports = window.sequencer()->CommIFace()->CommClass();
    QCOMPARE(ports->PortDevice(window.sequencer()->CommIFace()->getCOMSettings().port),
             sim.slavePath());

    QTest::mouseClick(window.cmdConnect(), Qt::LeftButton);
    QCOMPARE(window.cmdConnect()->text(), QStringLiteral("Connecting..."));
    QTRY_COMPARE_WITH_TIMEOUT(window.textPanel(2)->text(), kIdentification, 5000);
    QCOMPARE(window.cmdConnect()->text(), QStringLiteral("Disconnect"));
    QCOMPARE(window.textPanel(0)->text(), QStringLiteral(" Connected"));

    QTest::mouseClick(window.cmdConnect(), Qt::LeftButton);
    QCOMPARE(window.textPanel(0)->text(), QStringLiteral(" Disconnected"));
    QCOMPARE(window.textPanel(2)->text(), QString());
    QVERIFY(dialogs.shown.isEmpty());
}

void tst_WindowLinkE2E::sendConfigurationRefreshesArticles()
{
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    storePort(sim.slavePath());
    ScriptedDialogs dialogs;
    frmMainWindow window(DefaultInfo{"Quill Network", "KQIL", "1234"});
    window.offerLastFile();
    auto *list = control<QPlainTextEdit>(window, QStringLiteral("txtArticleList"), 4);
    auto *names = control<QComboBox>(window, QStringLiteral("cmbRemoveArticle"), 4);
    Sequencer *link = window.sequencer();

    QTest::mouseClick(window.cmdConnect(), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(link->linkState(), 1, 5000);

    // Two articles already stored in the encoder, one of them the Web TV link.
    link->AddCommand(QStringLiteral("0"), QStringLiteral("NEWS T2 3"),
                     QStringLiteral("Top stories at eleven"), true, true);
    link->AddCommand(QStringLiteral("0"), QStringLiteral("URL T2 0"),
                     QStringLiteral("<http://example.invalid>"), true, true);
    link->StartTransaction();
    QTRY_VERIFY_WITH_TIMEOUT(drained(link), 5000);
    QCOMPARE(names->count(), 0);

    QTest::mouseClick(window.cmdSendConfig(), Qt::LeftButton);
    QCOMPARE(window.cmdSendConfig()->text(), QStringLiteral("Sending..."));
    QTRY_VERIFY_WITH_TIMEOUT(drained(link), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(window.cmdSendConfig()->text(), QStringLiteral("Send Configuration"),
                              5000);
    QCOMPARE(window.cmdConnect()->text(), QStringLiteral("Disconnect"));

    QVERIFY2(boxText(list).startsWith(QLatin1String("Article Directory")),
             qPrintable(boxText(list)));
    QVERIFY(boxText(list).contains(QLatin1String("NEWS")));
    QCOMPARE(names->count(), 1);
    QCOMPARE(names->itemText(0), QStringLiteral("NEWS"));
    QCOMPARE(window.textPanel(2)->text(), kIdentification);
    QVERIFY2(dialogs.shown.isEmpty(), qPrintable(dialogs.texts().join(QLatin1Char('\n'))));
}

void tst_WindowLinkE2E::silentEncoderTimesOut()
{
    SimProcess sim;
    QVERIFY2(sim.start({QStringLiteral("--silent")}), qPrintable(sim.errorString()));
    storePort(sim.slavePath());
    ScriptedDialogs dialogs;
    frmMainWindow window(DefaultInfo{"Quill Network", "KQIL", "1234"});
    window.offerLastFile();

    QTest::mouseClick(window.cmdConnect(), Qt::LeftButton);
    QTimer *timeout = window.sequencer()->timerCommTimeout();
    QVERIFY(timeout->isActive());
    QCOMPARE(timeout->interval(), 3000);

    // The real time-out, once: three seconds of silence.
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.shown.size(), 1, 6000);
    QCOMPARE(dialogs.texts(),
             QStringList{"Quillcast could not connect to the Encoder.  Please check the cabling "
                         "and that the COM Port settings match the Encoder Serial Port settings."});
    QCOMPARE(dialogs.shown.first().icon, DialogService::Icon::Critical);
    QCOMPARE(window.sequencer()->linkState(), 0);
    QCOMPARE(window.cmdConnect()->text(), QStringLiteral("Connect"));
    QVERIFY(window.cmdConnect()->isEnabled());
    QCOMPARE(window.textPanel(0)->text(), QStringLiteral(" Disconnected"));
    QVERIFY(!window.sequencer()->CommIFace()->PortIsOpen());
    QVERIFY(!timeout->isActive());
}

QTEST_MAIN(tst_WindowLinkE2E)
#include "tst_window_link_e2e.moc"
