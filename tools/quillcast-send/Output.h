#pragma once

#include <QByteArray>
#include <QString>

// What quillcast-send writes: the transcript on standard output, messages on standard error.
// Every line is shown as plain text (LogFile::plainText): a name, a device or a message holds no
// control character by the time it reaches the terminal. A reader that goes away never ends the
// program: the first failed write is remembered for the exit status.
namespace Output {

// One line on standard output, flushed at once so that a reader sees the transcript live.
void line(const QString &text);
// One line on standard error, prefixed with the program's name.
void error(const QString &text);
// Wire bytes made readable: printable characters as they are, CR as \r, LF as \n, every other
// byte as \xHH.
QString escaped(const QByteArray &bytes);
// A time stamp for the transcript: local date and time to the millisecond.
QString timeStamp();

// line() writes to standard error instead, standard output being taken by other data.
void setLinesToError(bool toError);
// A status line at the foot of standard error, drawn over in place and kept below the lines
// printed meanwhile; "" removes it. For a terminal only: the caller decides.
void setStatus(const QString &text);
// Why a line could not be written to standard output ("" when every line was): the exit
// status then says that the output is incomplete.
QString writeProblem();

} // namespace Output
