#include "FixedClock.h"
#include "GoldenFiles.h"
#include "TabsWindow.h"
#include "ui/ConfigFileController.h"
#include "ui/ConfigurationBinder.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <QToolTip>

// Configuration files through the window's controls: opened and saved again unchanged, and the
// caption loop file's name shown as it is stored.
class tst_ConfigRoundTrip : public QObject
{
    Q_OBJECT

    static QByteArray contentsOf(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void openAndSaveChangeNothing_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"inserted", "other-fields", "odd-texts", "blocked-greyed",
                                 "short-texts", "rating-cdnfr-18", "last-values"})
            QTest::newRow(name) << goldenFile(QString(name) + ".qcf");
    }
    void openAndSaveChangeNothing()
    {
        QFETCH(QString, name);
        FixedClock clock(QDateTime(QDate(2026, 6, 15), QTime(10, 0)));
        TabsWindow w;
        QTemporaryDir dir;
        w.dialogs.openPaths = {name};
        w.dialogs.savePaths = {dir.filePath("saved.qcf")};
        w.top.files()->mnuOpenFile_Click();
        QVERIFY(!w.top.files()->TrackChanges(false));
        w.top.files()->mnuSaveFileAs_Click();
        QCOMPARE(w.dialogs.texts(), QStringList());
        QVERIFY(contentsOf(dir.filePath("saved.qcf")) == contentsOf(name));
    }

    // Folder and name appear in the labels' captions and tips as stored, never as markup; a
    // folder of 40 characters is shown whole.
    void captionLoopFileReadsAsNamed()
    {
        TabsWindow w;
        QVERIFY(w.show());
        const QString folder = QStringLiteral("/data/<b>bold</b>&amp;/evening-news-xxx/");
        const QString name = QStringLiteral("<i>x.txt");
        ConfigurationBinder::showCaptionLoopFile(&w.top, folder + name);
        for (const auto &[label, expected] :
             {qMakePair(QStringLiteral("lblCCLpCurFilePath"), folder),
              qMakePair(QStringLiteral("lblCCLpCurFileName"), name)}) {
            auto *shown = w.find<QLabel>(label);
            QCOMPARE(shown->text(), expected);
            QCOMPARE(shown->textFormat(), Qt::PlainText);
            QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), shown->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(shown, &help);
            QTRY_VERIFY(QToolTip::isVisible());
            // What the tip shows, read the way Qt reads a tip.
            const QString tip = QToolTip::text();
            QCOMPARE(Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText()
                                              : tip,
                     expected);
            QToolTip::hideText();
        }
    }
};

QTEST_MAIN(tst_ConfigRoundTrip)
#include "tst_config_roundtrip.moc"
