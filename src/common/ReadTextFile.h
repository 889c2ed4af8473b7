#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The largest text file read, 1 MiB. Caption loop files and articles are written by hand: a
// loop of 32-character captions this size holds some 30,000 lines, far beyond any real one, and
// an article, a text block that a text channel repeats, is smaller still.
constexpr qint64 MaxTextFileSize = 1024 * 1024;

// Reads a plain text file as a list: element 0 is the file's full path, elements 1 to n its
// lines in order, each without its line terminator, in the single-byte code page (Latin-1).
// An empty file gives the path alone. An empty path first asks for a file ("Open File",
// "Text Files (.txt)|*.txt") through DialogService; the chosen path is written to chosenPath
// when given. No file chosen, or a file that cannot be opened or read to its end, gives a list
// of one empty element; so does anything but a regular file (a pipe, a device, a folder) and a
// file larger than MaxTextFileSize, without waiting for it.
QStringList ReadTextFile(const QString &path, QWidget *dialogParent = nullptr,
                         QString *chosenPath = nullptr);
