#include "ScriptedDialogs.h"
#include "common/ReadTextFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Text files as lists: the path first, then the lines, whatever the line ends.
class tst_ReadTextFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QString();
        return path;
    }

private slots:
    void lines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF") << QByteArray("Sunny\r\nWarm\r\n") << QStringList{"Sunny", "Warm"};
        QTest::newRow("mixed, last line unterminated")
            << QByteArray("a\r\nb\nc\rd") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("empty lines kept")
            << QByteArray("a\r\n\r\nb\r\n\r\n") << QStringList{"a", "", "b", ""};
        QTest::newRow("LF CR is two ends") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("blanks kept") << QByteArray("  x  \r\n") << QStringList{"  x  "};
        QTest::newRow("single-byte code page")
            << QByteArray("caf\xE9") << QStringList{QString::fromLatin1("caf\xE9")};
    }
    void lines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        const QString path = write(QStringLiteral("lines.txt"), bytes);
        QVERIFY(!path.isEmpty());
        QCOMPARE(ReadTextFile(path), QStringList{path} + lines);
    }

    // An empty path asks for the file; cancelling gives the unreadable result.
    void emptyPathAsks_data()
    {
        QTest::addColumn<bool>("picked");
        QTest::newRow("picked") << true;
        QTest::newRow("cancelled") << false;
    }
    void emptyPathAsks()
    {
        QFETCH(bool, picked);
        const QString path = picked ? write(QStringLiteral("asked.txt"), "one\r\n") : QString();
        ScriptedDialogs dialogs;
        if (picked)
            dialogs.openPaths << path;
        QString chosen = QStringLiteral("unchanged");
        QCOMPARE(ReadTextFile(QString(), nullptr, &chosen),
                 (picked ? QStringList{path, "one"} : QStringList{QString()}));
        QCOMPARE(chosen, path);
        QCOMPARE(dialogs.dialogTitles, QStringList{"Open File"});
        QCOMPARE(dialogs.dialogFilters, QStringList{"Text Files (.txt)|*.txt"});
    }
};

QTEST_GUILESS_MAIN(tst_ReadTextFile)
#include "tst_read_text_file.moc"
