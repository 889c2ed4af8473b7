#pragma once

#include <QPixmap>

// A picture compiled into the program by the build (its width, its height, then premultiplied
// 0xAARRGGBB words row by row), made into a pixmap without an image reader.
inline QPixmap compiledPicture(const quint32 *words)
{
    const int width = int(words[0]);
    const int height = int(words[1]);
    return QPixmap::fromImage(QImage(reinterpret_cast<const uchar *>(words + 2), width, height,
                                     QImage::Format_ARGB32_Premultiplied));
}
