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
        QVERIFY(contentsOf(dir.filePath("saved.qcf")) == contentsOf(name));
    }

    // A folder of 40 characters is shown whole, in the label and in its tip, as it is named.
    void captionLoopFileReadsAsNamed()
    {
        TabsWindow w;
        QVERIFY(w.show());
        const QString folder = QStringLiteral("/data/<b>bold</b>&amp;/evening-news-xxx/");
        ConfigurationBinder::showCaptionLoopFile(&w.top, folder + "<i>x.txt");
        auto *shown = w.find<QLabel>("lblCCLpCurFilePath");
        QCOMPARE(shown->text() + w.find<QLabel>("lblCCLpCurFileName")->text(), folder + "<i>x.txt");
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), shown->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(shown, &help);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText(), folder);
    }
};

QTEST_MAIN(tst_ConfigRoundTrip)
#include "tst_config_roundtrip.moc"
