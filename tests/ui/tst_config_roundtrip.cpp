#include "FixedClock.h"
#include "TabsWindow.h"
#include "ui/ConfigFileController.h"
#include "ui/ConfigurationBinder.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <QToolTip>

namespace {

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// Configuration files through the window's controls: opened and saved again unchanged, and the
// caption loop file's name shown as it is stored.
class tst_ConfigRoundTrip : public QObject
{
    Q_OBJECT
private slots:
    void openAndSaveChangeNothing_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"inserted", "other-fields", "odd-texts", "blocked-greyed",
                                 "short-texts", "rating-cdnfr-18", "last-values"})
            QTest::newRow(name) << QString(name);
    }
    void openAndSaveChangeNothing()
    {
        QFETCH(QString, name);
        const QString golden = QStringLiteral(QUILLCAST_TEST_DATA "/") + name + ".qcf";
        FixedClock clock(QDateTime(QDate(2026, 6, 15), QTime(10, 0)));
        TabsWindow w;
        QTemporaryDir dir;
        w.dialogs.openPaths = {golden};
        w.dialogs.savePaths = {dir.filePath("saved.qcf")};
        w.top.files()->mnuOpenFile_Click();
        QVERIFY(!w.top.files()->TrackChanges(false));
        w.top.files()->mnuSaveFileAs_Click();
        QCOMPARE(w.dialogs.texts(), QStringList());
        QVERIFY(contentsOf(dir.filePath("saved.qcf")) == contentsOf(golden));
    }

    // Folder and name appear in the labels' captions and tips as stored, never as markup.
    void captionLoopFileReadsAsNamed()
    {
        TabsWindow w;
        QVERIFY(w.show());
        const QString folder = QStringLiteral("/data/<b>bold</b>&amp;/");
        const QString name = QStringLiteral("<i>x.txt");
        ConfigurationBinder::showCaptionLoopFile(&w.top, folder + name);
        for (const auto &[label, expected] :
             {qMakePair(QStringLiteral("lblCCLpCurFilePath"), folder),
              qMakePair(QStringLiteral("lblCCLpCurFileName"), name)}) {
            QCOMPARE(w.find<QLabel>(label)->text(), expected);
            QCOMPARE(w.find<QLabel>(label)->textFormat(), Qt::PlainText);
            const QPoint inside(2, 2);
            QHelpEvent help(QEvent::ToolTip, inside, w.find(label)->mapToGlobal(inside));
            QApplication::sendEvent(w.find(label), &help);
            QTRY_VERIFY(QToolTip::isVisible());
            // What the tip shows, read the way Qt reads a tip.
            const QString tip = QToolTip::text();
            QCOMPARE(Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText()
                                              : tip,
                     expected);
            QToolTip::hideText();
        }
        // A folder longer than 40 characters is cut in the caption, whole in the tip.
        const QString longFolder = QStringLiteral("/srv/station/closed-captions/loops/evening/");
        ConfigurationBinder::showCaptionLoopFile(&w.top, longFolder + name);
        QCOMPARE(w.find<QLabel>("lblCCLpCurFilePath")->text(), longFolder.left(37) + "...");
        QCOMPARE(w.find<QLabel>("lblCCLpCurFilePath")->toolTip(), longFolder);
    }

    void loadEnablesAsClicksDo_data()
    {
        QTest::addColumn<QString>("field"); // chCtrl<check> and o<group>: "check:group"
        QTest::addColumn<int>("action");
        QTest::addColumn<bool>("ticked");
        for (const char *field :
             {"NetworkName:NetworkName", "CallLetters:CallLetters", "TSID:TSID",
              "TimeOfDay:TimeOfDay", "TimeZone:Timezone", "ProgramName:ProgramName",
              "ProgramRating:ProgramRating", "WebTV:WebTV", "CGMS:CGMS"}) {
            for (int action = 0; action < (QString(field) == "WebTV:WebTV" ? 2 : 3); ++action) {
                for (bool ticked : {true, false})
                    QTest::addRow("%s %d%s", field, action, ticked ? "" : ", box clear")
                        << QString(field) << action << ticked;
            }
        }
    }
    // Every control's enabled state after a load equals what clicking the same values gives:
    // the box ticked, Insert, the lists chosen, then the action, then the box cleared.
    void loadEnablesAsClicksDo()
    {
        QFETCH(QString, field);
        QFETCH(int, action);
        QFETCH(bool, ticked);
        const QString check = "chCtrl" + field.section(':', 0, 0);
        const QString group = "o" + field.section(':', 1, 1);
        TabsWindow w;
        const auto enabledStates = [&w] {
            QStringList states;
            for (const QWidget *control : w.top.findChildren<QWidget *>())
                if (!control->objectName().isEmpty() && !control->objectName().startsWith("qt_"))
                    states << control->objectName() + (control->isEnabled() ? "+" : "-");
            return states;
        };
        w.apply(QStringLiteral("txtProgramName=News %1=1 %2_0=1 cmbProgramRating=4 cmbCGMS=2 "
                               "%2_%3=1")
                    .arg(check, group)
                    .arg(action));
        if (!ticked)
            w.set(check, false);
        const QStringList byHand = enabledStates();

        QTemporaryDir dir;
        w.dialogs.savePaths = {dir.filePath("rules.qcf")};
        w.top.files()->mnuSaveFileAs_Click();
        w.top.files()->mnuNew_Click();
        w.dialogs.openPaths = {dir.filePath("rules.qcf")};
        w.top.files()->mnuOpenFile_Click();
        QCOMPARE(enabledStates(), byHand);
    }
};

QTEST_MAIN(tst_ConfigRoundTrip)
#include "tst_config_roundtrip.moc"
