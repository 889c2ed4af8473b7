#pragma once

#include <QString>
#include <QStringList>

// The largest text file read, 16 MiB, named in the message that refuses a larger one.
// Caption loop files and articles are written by hand: a loop of 32-character captions this
// size holds about half a million lines, far beyond any real one, and an article, a text block
// that a text channel repeats, is smaller still. The cap keeps a wrong file (a recording, a disk
// image) from filling the memory.
constexpr qint64 MaxTextFileSize = 16 * 1024 * 1024;
inline const char MaxTextFileSizeText[] = "16 MiB";

// Why readTextFile gave the unreadable result.
enum class TextFileError
{
    None,       // the file was read, or no file was chosen
    Unreadable, // missing, not a regular file (a pipe, a device, a folder), or a read error
    TooLarge    // larger than MaxTextFileSize
};

// Reads a plain text file as a list: element 0 is the file's full path, elements 1 to n its
// lines in order, each without its line terminator, in the single-byte code page (Latin-1).
// An empty file gives the path alone. An empty path (no file chosen), or a file that cannot be
// opened or read to its end, gives a list of one empty element; so does anything but a regular
// file (a pipe, a device, a folder) and a file larger than MaxTextFileSize, without waiting for
// it. error, when given, tells which.
QStringList readTextFile(const QString &path, TextFileError *error = nullptr);
