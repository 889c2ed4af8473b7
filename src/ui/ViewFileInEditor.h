#pragma once

#include <QString>

// Opens a text file in the system's text editor and returns at once, without waiting for the
// editor: Notepad on Windows, the desktop's handler for text files elsewhere. No shell is
// involved, so the path is never interpreted. An empty path opens nothing.
bool viewFileInEditor(const QString &path);
