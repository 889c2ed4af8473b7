#include "ScriptedDialogs.h"
#include "TestSettings.h"

#include "config/frmDefaultInfo.h"
#include "ui/RoboHelp.h"
#include "ui/StartUp.h"
#include "ui/frmAbout.h"
#include "ui/frmMainWindow.h"
#include "ui/frmSplash.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

QString boxText(QWidget *window, const char *name)
{
    return window->findChild<QLineEdit *>(QString::fromLatin1(name))->text();
}

QString labelText(QWidget *window, const char *name)
{
    return window->findChild<QLabel *>(QString::fromLatin1(name))->text();
}

} // namespace

class tst_StartUp : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSettings::wipe(); }

    void startUpOrder_data();
    void startUpOrder();
    void aboutBox();
};

void tst_StartUp::startUpOrder_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<bool>("splash");
    QTest::addColumn<QString>("button"); // pressed in the default-information dialog
    QTest::newRow("stored defaults") << true << true << "";
    QTest::newRow("first start") << false << true << "cmdOk";
    QTest::newRow("first start, no splash") << false << false << "cmdOk";
    QTest::newRow("first start, Exit") << false << true << "cmdExit";
}

void tst_StartUp::startUpOrder()
{
    QFETCH(bool, stored);
    QFETCH(bool, splash);
    QFETCH(QString, button);
    if (stored)
        DefaultInfo{QStringLiteral("Quill Network"), QStringLiteral("KQIL"), QStringLiteral("77")}
            .SaveDefaultInfo();
    ScriptedDialogs dialogs;
    RoboHelp::HelpFilePath.clear();
    StartUp startUp(splash);
    QSignalSpy declined(&startUp, &StartUp::declined);
    startUp.start();

    if (splash) {
        // The splash window alone, exactly the picture's size, for 3000 ms.
        frmSplash *window = startUp.splash();
        QVERIFY(window && window->isVisible());
        QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(window->size(), frmSplash::SplashPicture(1).size());
        QCOMPARE(window->timerSplash()->interval(), 3000);
        QVERIFY(window->timerSplash()->isActive());
        QVERIFY(!startUp.defaultInfoDialog() && !startUp.mainWindow());
        window->timerSplash_Timer();
        QVERIFY(!window->isVisible());
    }
    // The default-information dialog has loaded: help knows its pages.
    QVERIFY(RoboHelp::HelpFilePath.endsWith(QLatin1String("/Quillcast.htm")));

    if (!stored) {
        frmDefaultInfo *dialog = startUp.defaultInfoDialog();
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(!startUp.mainWindow());
        const QStringList typed = {QStringLiteral("Quill Network"), QStringLiteral("KQIL"),
                                   QStringLiteral("77")};
        const char *boxes[] = {"txtNetworkName", "txtCallLetters", "txtTSID"};
        for (int i = 0; i < 3; ++i)
            dialog->findChild<QLineEdit *>(QString::fromLatin1(boxes[i]))->setText(typed[i]);
        QTest::mouseClick(dialog->findChild<QPushButton *>(button), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
    }

    if (button == QLatin1String("cmdExit")) {
        QCOMPARE(declined.size(), 1);
        QVERIFY(!startUp.mainWindow());
        return;
    }
    QCOMPARE(declined.size(), 0);
    frmMainWindow *window = startUp.mainWindow();
    QVERIFY(window && window->isVisible());
    QCOMPARE(boxText(window, "txtNetworkName") + boxText(window, "txtCallLetters") +
                 boxText(window, "txtTSID"),
             QStringLiteral("Quill NetworkKQIL77"));
}

void tst_StartUp::aboutBox()
{
    ScriptedDialogs dialogs;
    frmMainWindow window(DefaultInfo{QStringLiteral("Quill Network"), QStringLiteral("KQIL"),
                                     QStringLiteral("1234")});
    window.show();
    QAction *about = window.findChild<QAction *>(QStringLiteral("mnuAbout"));
    about->trigger();
    auto *box = window.findChild<frmAbout *>(QStringLiteral("frmAbout"));
    QVERIFY(box && box->isVisible());
    QCOMPARE(box->windowModality(), Qt::WindowModal);

    const QStringList expected = {
        QStringLiteral("About Orvane Quillcast"),
        QStringLiteral("Orvane Quillcast"),
        QStringLiteral("Version 1.0.4"),
        QStringLiteral("This application provides a seamless graphical interface for the "
                       "terminal-based commands used to program and configure Orvane Closed "
                       "Caption Encoders."),
        QStringLiteral("Supported Orvane Encoders:"),
    };
    auto texts = [box] {
        return QStringList{box->windowTitle(), labelText(box, "lblTitle"),
                           labelText(box, "lblVersion"), labelText(box, "lblDescription"),
                           labelText(box, "lblSupport")};
    };
    QCOMPARE(texts(), expected);
    // One model per line, CR LF between them.
    const QStringList models = labelText(box, "lblSupportedHardware").split(QStringLiteral("\r\n"));
    QVERIFY(models.size() > 1);
    QVERIFY(!models.contains(QString()));

    // OK hides the box; the next About shows the same box, still filled.
    QTest::mouseClick(box->findChild<QPushButton *>(QStringLiteral("cmdOk")), Qt::LeftButton);
    QVERIFY(!box->isVisible());
    about->trigger();
    QCOMPARE(window.findChildren<frmAbout *>().size(), 1);
    QVERIFY(box->isVisible());
    QCOMPARE(texts(), expected);
    QVERIFY(dialogs.shown.isEmpty());
}

QTEST_MAIN(tst_StartUp)
#include "tst_startup.moc"
