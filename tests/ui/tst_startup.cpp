#include "ScriptedDialogs.h"
#include "TestSettings.h"

#include "ui/RoboHelp.h"
#include "ui/StartUp.h"
#include "ui/dialogs/frmDefaultInfo.h"
#include "ui/frmMainWindow.h"
#include "ui/frmSplash.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

// The start: the splash for three seconds, the default information unless stored, the window.
class tst_StartUp : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSettings::wipe(); }

    void startUpOrder_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<bool>("splash");
        QTest::addColumn<QString>("button"); // pressed in the default-information dialog
        QTest::newRow("stored defaults") << true << true << "";
        QTest::newRow("first start") << false << true << "cmdOk";
        QTest::newRow("first start, no splash") << false << false << "cmdOk";
        QTest::newRow("first start, Exit") << false << true << "cmdExit";
    }
    void startUpOrder()
    {
        QFETCH(bool, stored);
        QFETCH(bool, splash);
        QFETCH(QString, button);
        const QStringList boxes = {"txtNetworkName", "txtCallLetters", "txtTSID"};
        const QStringList typed = {"Quill Network", "KQIL", "77"};
        if (stored)
            DefaultInfo{typed[0], typed[1], typed[2]}.SaveDefaultInfo();
        ScriptedDialogs dialogs;
        RoboHelp::HelpFilePath.clear();
        StartUp startUp(splash);
        QSignalSpy declined(&startUp, &StartUp::declined);
        startUp.start();
        if (splash) {
            // The splash window alone, for 3000 ms.
            frmSplash *window = startUp.splash();
            QVERIFY(window->isVisible());
            QCOMPARE(window->timerSplash()->interval(), 3000);
            QVERIFY(!startUp.defaultInfoDialog() && !startUp.mainWindow());
            window->timerSplash_Timer();
        }
        // The default-information dialog has loaded: help knows its pages.
        QVERIFY(RoboHelp::HelpFilePath.endsWith("/Quillcast.htm"));
        if (!stored) {
            frmDefaultInfo *dialog = startUp.defaultInfoDialog();
            QVERIFY(dialog->isVisible() && !startUp.mainWindow());
            for (int i = 0; i < 3; ++i)
                dialog->findChild<QLineEdit *>(boxes[i])->setText(typed[i]);
            QTest::mouseClick(dialog->findChild<QPushButton *>(button), Qt::LeftButton);
        }
        QCOMPARE(declined.size(), button == "cmdExit" ? 1 : 0);
        frmMainWindow *window = startUp.mainWindow();
        QCOMPARE(window && window->isVisible(), button != "cmdExit");
        for (int i = 0; window && i < 3; ++i)
            QCOMPARE(window->findChild<QLineEdit *>(boxes[i])->text(), typed[i]);
    }
};

QTEST_MAIN(tst_StartUp)
#include "tst_startup.moc"
