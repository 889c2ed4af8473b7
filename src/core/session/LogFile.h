#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

// The traffic log and report files of a send: an output file never costs an input. A path
// that names one of the inputs (the same file however named: symbolic and hard links included)
// is refused before the file is opened, let alone truncated. A failed write is remembered and
// told by finish(), so that the program never ends as if the log were complete.
class LogFile
{
public:
    // The input that path names, or "" when it is none of them.
    static QString clashingInput(const QString &path, const QStringList &inputs);
    // The one rule by which a text from a list, an encoder or the system is shown, on a terminal
    // or in a file: CR as \r, LF as \n and every other control character as \xHH, so that no
    // text can move the cursor, colour the terminal or forge a line.
    static QString plainText(const QString &text);

    // Opens for writing: a regular file is truncated (or made), anything else (a FIFO, a device)
    // is opened without waiting for a reader, so that a FIFO nobody reads is refused at once
    // rather than holding up the send. False with the reason in errorString().
    bool open(const QString &path);
    bool isOpen() const { return m_file.isOpen(); }
    // Each line is pushed to the file at once (one encoder), or kept in the buffer until
    // flush() (many encoders, where a write per line would cost each of them).
    void setLive(bool live) { m_live = live; }
    // Writes the line after plainText().
    void write(const QString &line);
    void flush();
    // Flushes and closes; false when any write failed (reason in errorString()).
    bool finish();

    QString fileName() const { return m_file.fileName(); }
    QString errorString() const { return m_error; }

private:
    void check(bool ok);

    QFile m_file;
    bool m_live = true;
    QString m_error;
};
