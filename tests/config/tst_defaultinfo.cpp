#include "ScriptedDialogs.h"
#include "TestSettings.h"
#include "config/frmDefaultInfo.h"
#include "ui/ConfigFileController.h"
#include "ui/frmMainWindow.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

const QString NameMessage =
    QStringLiteral("The Network Name must be 2 to 32 characters in length.");
const QString CallMessage = QStringLiteral("The Call Letters must be 3 to 6 characters in length.");
const QString TsidMessage =
    QStringLiteral("The Transmission ID (TSID) must be a value from 1 to 65535.");

void store(const QString &name, const QString &call, const QString &tsid)
{
    DefaultInfo{name, call, tsid}.SaveDefaultInfo();
}

} // namespace

class tst_DefaultInfo : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void dialogLooksAsDesigned();
    void okChecksInOrder_data();
    void okChecksInOrder();
    void acceptedValuesAreStoredTrimmed();
    void tsidTakesOnlyDigits();
    void f1OpensTheStartingTopic();
    void storedDefaultsAreFound_data();
    void storedDefaultsAreFound();
    void obtainAsksWhenNotFound_data();
    void obtainAsksWhenNotFound();
    void acceptedDefaultsFillEveryReset();

private:
    ScriptedDialogs *m_dialogs = nullptr;
    frmDefaultInfo *m_dialog = nullptr;

    QLineEdit *box(const char *name) const
    {
        return m_dialog->findChild<QLineEdit *>(QLatin1String(name));
    }
    void fill(const QString &name, const QString &call, const QString &tsid)
    {
        box("txtNetworkName")->setText(name);
        box("txtCallLetters")->setText(call);
        box("txtTSID")->setText(tsid);
    }
    void clickOk()
    {
        QTest::mouseClick(m_dialog->findChild<QPushButton *>("cmdOk"), Qt::LeftButton);
    }
};

void tst_DefaultInfo::init()
{
    TestSettings::wipe();
    m_dialogs = new ScriptedDialogs;
    m_dialog = new frmDefaultInfo;
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog));
}

void tst_DefaultInfo::cleanup()
{
    delete m_dialog;
    delete m_dialogs;
}

void tst_DefaultInfo::dialogLooksAsDesigned()
{
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Orvane Quillcast - Default Information"));
    QVERIFY(m_dialog->findChild<QWidget *>("fContainer"));
    const char *fields[] = {"txtNetworkName", "txtCallLetters", "txtTSID"};
    const QStringList captions = {"Network Name:", "Call Letters:", "TSID (1 - 65535):"};
    for (int i = 0; i < 3; ++i) {
        auto *label = m_dialog->findChild<QLabel *>(QStringLiteral("lblDefaultInfo_%1").arg(i));
        QVERIFY(label);
        QCOMPARE(label->text(), captions[i]);
        QCOMPARE(label->buddy(), box(fields[i]));
        QVERIFY(box(fields[i])->text().isEmpty());
    }
    QCOMPARE(box("txtNetworkName")->maxLength(), 32);
    QCOMPARE(box("txtCallLetters")->maxLength(), 6);
    QCOMPARE(m_dialog->findChild<QPushButton *>("cmdOk")->text(), QStringLiteral("OK"));
    QCOMPARE(m_dialog->findChild<QPushButton *>("cmdExit")->text(), QStringLiteral("Exit"));

    // Tab order runs down the boxes to the buttons.
    QCOMPARE(box("txtNetworkName")->nextInFocusChain(), box("txtCallLetters"));
    QCOMPARE(box("txtCallLetters")->nextInFocusChain(), box("txtTSID"));
}

void tst_DefaultInfo::okChecksInOrder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("tsid");
    QTest::addColumn<QString>("message"); // "" when accepted
    QTest::addColumn<QString>("focus");

    QTest::newRow("all empty: the name first") << ""
                                               << ""
                                               << "" << NameMessage << "txtNetworkName";
    QTest::newRow("one letter between blanks") << " A "
                                               << "WABC"
                                               << "1" << NameMessage << "txtNetworkName";
    QTest::newRow("two call letters") << "NBC"
                                      << "WA"
                                      << "" << CallMessage << "txtCallLetters";
    QTest::newRow("blank call letters") << "NBC"
                                        << "  W  "
                                        << "1" << CallMessage << "txtCallLetters";
    QTest::newRow("empty TSID") << "NBC"
                                << "WNBC"
                                << "" << TsidMessage << "txtTSID";
    QTest::newRow("TSID 0") << "NBC"
                            << "WNBC"
                            << "0" << TsidMessage << "txtTSID";
    QTest::newRow("TSID 65536") << "NBC"
                                << "WNBC"
                                << "65536" << TsidMessage << "txtTSID";
    QTest::newRow("pasted letters") << "NBC"
                                    << "WNBC"
                                    << "12ab" << TsidMessage << "txtTSID";
    QTest::newRow("TSID 65535") << "NBC"
                                << "WNBC"
                                << "65535"
                                << ""
                                << "";
    QTest::newRow("TSID 1, shortest texts") << "AB"
                                            << "ABC"
                                            << "1"
                                            << ""
                                            << "";
}

void tst_DefaultInfo::okChecksInOrder()
{
    QFETCH(QString, name);
    QFETCH(QString, call);
    QFETCH(QString, tsid);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    fill(name, call, tsid);
    clickOk();
    if (message.isEmpty()) {
        QCOMPARE(m_dialogs->texts(), QStringList());
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        QVERIFY(!m_dialog->isVisible());
        bool found = false;
        DefaultInfo::LoadDefaultInfo(&found);
        QVERIFY(found);
        return;
    }
    QCOMPARE(m_dialogs->texts(), QStringList{message});
    QCOMPARE(m_dialogs->shown[0].icon, DialogService::Icon::Warning);
    QCOMPARE(m_dialogs->shown[0].buttons, DialogService::Buttons::Ok);
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(QApplication::focusWidget(), box(qPrintable(focus)));
    bool found = true;
    DefaultInfo::LoadDefaultInfo(&found);
    QVERIFY(!found);
}

void tst_DefaultInfo::acceptedValuesAreStoredTrimmed()
{
    fill(QStringLiteral("  NBC East "), QStringLiteral(" WNBC "), QStringLiteral(" 04660 "));
    clickOk();
    QCOMPARE(m_dialogs->texts(), QStringList());
    QCOMPARE(box("txtCallLetters")->text(), QStringLiteral("WNBC"));

    bool found = false;
    const DefaultInfo stored = DefaultInfo::LoadDefaultInfo(&found);
    QVERIFY(found);
    QCOMPARE(stored.networkName, QStringLiteral("NBC East"));
    QCOMPARE(stored.callLetters, QStringLiteral("WNBC"));
    QCOMPARE(stored.tsid, QStringLiteral("04660")); // as typed, not reformatted
    QCOMPARE(m_dialog->defaultInfo().tsid, QStringLiteral("04660"));
    QCOMPARE(AppSettings::get(QStringLiteral("Default Info"), QStringLiteral("Call Letters")),
             QStringLiteral("WNBC"));
}

void tst_DefaultInfo::tsidTakesOnlyDigits()
{
    QLineEdit *tsid = box("txtTSID");
    tsid->setFocus();
    QTest::keyClicks(tsid, QStringLiteral("12ab-3 4.5"));
    QCOMPARE(tsid->text(), QStringLiteral("12345"));
    QTest::keyClick(tsid, Qt::Key_Backspace);
    QCOMPARE(tsid->text(), QStringLiteral("1234"));
    QTest::keyClick(tsid, Qt::Key_Home);
    QTest::keyClick(tsid, Qt::Key_9);
    QCOMPARE(tsid->text(), QStringLiteral("91234"));

    // The other boxes take anything.
    QTest::keyClicks(box("txtCallLetters"), QStringLiteral("W-1a"));
    QCOMPARE(box("txtCallLetters")->text(), QStringLiteral("W-1a"));
}

void tst_DefaultInfo::f1OpensTheStartingTopic()
{
    QTest::keyClick(box("txtCallLetters"), Qt::Key_F1);
    QCOMPARE(m_dialogs->openedUrls.size(), 1);
    const QUrl url = m_dialogs->openedUrls[0];
    QCOMPARE(url.fragment(), QStringLiteral("Starting.htm"));
    QVERIFY(url.toLocalFile().endsWith(QStringLiteral("/Help Files/Quillcast.htm")));
    QVERIFY(box("txtCallLetters")->text().isEmpty());
}

void tst_DefaultInfo::storedDefaultsAreFound_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<bool>("found");
    QTest::newRow("all three") << QStringList{"NBC", "WNBC", "4660"} << true;
    QTest::newRow("no TSID") << QStringList{"NBC", "WNBC", ""} << false;
    QTest::newRow("no network name") << QStringList{"", "WNBC", "4660"} << false;
    QTest::newRow("nothing") << QStringList() << false;
}

void tst_DefaultInfo::storedDefaultsAreFound()
{
    QFETCH(QStringList, stored);
    QFETCH(bool, found);
    if (!stored.isEmpty())
        store(stored[0], stored[1], stored[2]);
    bool wasFound = !found;
    const DefaultInfo info = DefaultInfo::LoadDefaultInfo(&wasFound);
    QCOMPARE(wasFound, found);
    if (found) {
        // Found: obtain answers at once without showing anything.
        DefaultInfo obtained;
        QVERIFY(frmDefaultInfo::obtain(&obtained));
        QCOMPARE(obtained.networkName, QStringLiteral("NBC"));
        QCOMPARE(obtained.tsid, QStringLiteral("4660"));
        QCOMPARE(info.callLetters, QStringLiteral("WNBC"));
    }
}

void tst_DefaultInfo::obtainAsksWhenNotFound_data()
{
    QTest::addColumn<QString>("leaveBy");
    QTest::addColumn<bool>("result");
    QTest::newRow("OK") << QStringLiteral("cmdOk") << true;
    QTest::newRow("Exit") << QStringLiteral("cmdExit") << false;
    QTest::newRow("close box") << QStringLiteral("close") << false;
}

void tst_DefaultInfo::obtainAsksWhenNotFound()
{
    QFETCH(QString, leaveBy);
    QFETCH(bool, result);
    store(QStringLiteral("NBC"), QStringLiteral("WNBC"), QString()); // the TSID is missing

    bool shownEmpty = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<frmDefaultInfo *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto *name = dialog->findChild<QLineEdit *>("txtNetworkName");
        shownEmpty = name->text().isEmpty() &&
                     dialog->findChild<QLineEdit *>("txtCallLetters")->text().isEmpty();
        name->setText(QStringLiteral("CBS"));
        dialog->findChild<QLineEdit *>("txtCallLetters")->setText(QStringLiteral("WCBS"));
        dialog->findChild<QLineEdit *>("txtTSID")->setText(QStringLiteral("77"));
        if (leaveBy == QLatin1String("close"))
            dialog->close();
        else
            dialog->findChild<QPushButton *>(leaveBy)->click();
    });
    // A dialog that is not found stays open; the watchdog closes it so the test fails instead.
    QTimer::singleShot(5000, this, [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
    DefaultInfo info;
    QCOMPARE(frmDefaultInfo::obtain(&info), result);
    QVERIFY(shownEmpty);
    bool found = false;
    DefaultInfo::LoadDefaultInfo(&found);
    QCOMPARE(found, result);
    if (result)
        QCOMPARE(info.networkName, QStringLiteral("CBS"));
}

void tst_DefaultInfo::acceptedDefaultsFillEveryReset()
{
    fill(QStringLiteral(" KNBC News "), QStringLiteral(" WNBC"), QStringLiteral("04660"));
    clickOk();
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));

    // The next start finds them and never shows the dialog; one that did show is closed by the
    // watchdog, which makes obtain fail.
    QTimer::singleShot(0, this, [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
    DefaultInfo info;
    QVERIFY(frmDefaultInfo::obtain(&info));

    frmMainWindow window(info);
    const QStringList boxes = {"txtNetworkName", "txtCallLetters", "txtTSID"};
    const QStringList expected = {"KNBC News", "WNBC", "04660"};
    auto shown = [&] {
        QStringList texts;
        for (const QString &name : boxes)
            texts << window.findChild<QLineEdit *>(name)->text();
        return texts;
    };
    QCOMPARE(shown(), expected);

    for (const QString &name : boxes)
        window.findChild<QLineEdit *>(name)->setText(QStringLiteral("999"));
    m_dialogs->answers = {DialogService::Answer::No}; // do not save the edits
    window.files()->mnuNew_Click();
    QCOMPARE(shown(), expected);
}

QTEST_MAIN(tst_DefaultInfo)
#include "tst_defaultinfo.moc"
