#pragma once

#include <QByteArray>
#include <QString>

// What quillcast-send writes: the transcript on standard output, messages on standard error.
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

} // namespace Output
