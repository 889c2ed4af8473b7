#include "ScriptedDialogs.h"
#include "TestSettings.h"

#include "config/frmDefaultInfo.h"
#include "ui/RoboHelp.h"
#include "ui/StartUp.h"
#include "ui/frmMainWindow.h"
#include "ui/frmSplash.h"

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

} // namespace

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
        if (stored)
            DefaultInfo{QStringLiteral("Quill Network"), QStringLiteral("KQIL"),
                        QStringLiteral("77")}
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
};

QTEST_MAIN(tst_StartUp)
#include "tst_startup.moc"
