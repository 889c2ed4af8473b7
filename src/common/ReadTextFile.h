#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Reads a plain text file as a list: element 0 is the file's full path, elements 1 to n its
// lines in order, each without its line terminator, in the single-byte code page (Latin-1).
// An empty file gives the path alone. An empty path first asks for a file ("Open File",
// "Text Files (.txt)|*.txt") through DialogService; the chosen path is written to chosenPath
// when given. No file chosen, or a file that cannot be opened or read to its end, gives a list
// of one empty element.
QStringList ReadTextFile(const QString &path, QWidget *dialogParent = nullptr,
                         QString *chosenPath = nullptr);
