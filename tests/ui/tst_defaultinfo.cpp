#include "DataRows.h"
#include "ScriptedDialogs.h"
#include "TestSettings.h"
#include "ui/dialogs/DefaultInfoDialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

const char *const Boxes[] = {"txtNetworkName", "txtCallLetters", "txtTSID"};

bool defaultsStored()
{
    bool found = false;
    DefaultInfo::loadDefaultInfo(&found);
    return found;
}

void fill(QWidget *dialog, const QStringList &texts)
{
    for (int i = 0; i < 3; ++i)
        dialog->findChild<QLineEdit *>(Boxes[i])->setText(texts[i]);
}

// Closes whatever modal dialog is open, so that a dialog nobody expected ends its test with a
// failure instead of hanging it.
void closeModalLater(QObject *context, int msecs)
{
    QTimer::singleShot(msecs, context, [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
}

} // namespace

// The default-information dialog: its checks, the store and the defaults it gives every reset.
class tst_DefaultInfo : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { delete m_dialog; }

private:
    ScriptedDialogs m_dialogs;
    DefaultInfoDialog *m_dialog = nullptr;

    QLineEdit *box(const char *name) const { return m_dialog->findChild<QLineEdit *>(name); }

private slots:
    void init()
    {
        TestSettings::wipe();
        m_dialogs.clear();
        m_dialog = new DefaultInfoDialog;
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(m_dialog));
    }

    // tests/data/default-info.rows
    void okChecksInOrder_data()
    {
        addRows("default-info", {"name", "call", "tsid", "message", "focus"});
    }
    void okChecksInOrder()
    {
        QFETCH(QString, name);
        QFETCH(QString, call);
        QFETCH(QString, tsid);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        fill(m_dialog, {name, call, tsid});
        QTest::mouseClick(m_dialog->findChild<QPushButton *>("cmdOk"), Qt::LeftButton);
        QCOMPARE(m_dialogs.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(m_dialog->isVisible(), !message.isEmpty());
        QCOMPARE(defaultsStored(), message.isEmpty());
        if (!message.isEmpty())
            QCOMPARE(QApplication::focusWidget(), box(qPrintable(focus)));
    }

    // From the keyboard the TSID box takes digits only ('/' and ':' stand either side of them).
    void tsidKeysAreDigitsOnly()
    {
        QTest::keyClicks(box("txtTSID"), "4a/6:0 ");
        QCOMPARE(box("txtTSID")->text(), QStringLiteral("460"));
    }

    // While the stored defaults are incomplete obtain asks, with empty boxes; the close box gives
    // up. Accepted values are stored trimmed (the TSID as typed) and then obtained without a
    // question.
    void obtainAsksUntilAccepted()
    {
        DefaultInfo{"NBC", "WNBC", ""}.saveDefaultInfo(); // the TSID is missing
        for (const bool accept : {false, true}) {
            bool shownEmpty = false;
            QTimer::singleShot(0, this, [&] {
                if (auto *dialog =
                        qobject_cast<DefaultInfoDialog *>(QApplication::activeModalWidget())) {
                    shownEmpty = dialog->findChild<QLineEdit *>("txtNetworkName")->text().isEmpty();
                    fill(dialog, {" KNBC News ", " WNBC", " 04660 "});
                    accept ? dialog->findChild<QPushButton *>("cmdOk")->click()
                           : void(dialog->close());
                }
            });
            closeModalLater(this, 5000);
            DefaultInfo info;
            QCOMPARE(DefaultInfoDialog::obtain(&info), accept);
            QVERIFY(shownEmpty);
            QCOMPARE(defaultsStored(), accept);
        }
        closeModalLater(this, 0);
        DefaultInfo info;
        QVERIFY(DefaultInfoDialog::obtain(&info));
        QCOMPARE(info.networkName + '|' + info.callLetters + '|' + info.tsid,
                 QStringLiteral("KNBC News|WNBC|04660"));
    }
};

QTEST_MAIN(tst_DefaultInfo)
#include "tst_defaultinfo.moc"
