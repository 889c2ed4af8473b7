// Used by the build: draws a picture into a PNG, or into C++ initialiser text for pictures the
// program shows before its first paint (those must need no image reader: the first one loads
// and probes every image-format plugin).
//
//   quillcast-draw-pixels IN.svg SIZE OUT.png|OUT.inc   the SVG drawn square at SIZE
//   quillcast-draw-pixels IMAGE OUT.inc                 an image file or Qt resource as it is
//
// The initialiser text is the width, the height and then the premultiplied 0xAARRGGBB words,
// row by row.
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

namespace {

QImage drawSvg(const char *path, const char *sizeText)
{
    QSvgRenderer renderer(QString::fromLocal8Bit(path));
    const int size = QByteArray(sizeText).toInt();
    if (!renderer.isValid() || size <= 0)
        return {};
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    return image;
}

bool writeInitialiser(const QImage &image, const QString &path)
{
    QByteArray text =
        QByteArray::number(image.width()) + ',' + QByteArray::number(image.height()) + ",\n";
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const quint32 *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            text += "0x" + QByteArray::number(row[x], 16).rightJustified(8, '0') + ',';
        text += '\n';
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.flush();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s IN.svg SIZE OUT.png|OUT.inc\n       %s IMAGE OUT.inc\n",
                     argv[0], argv[0]);
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The widgets library holds the style's own pictures as resources.
    QApplication app(argc, argv);
    const QImage image = argc == 4 ? drawSvg(argv[1], argv[2])
                                   : QImage(QString::fromLocal8Bit(argv[1]))
                                         .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        std::fprintf(stderr, "cannot draw %s\n", argv[1]);
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[argc - 1]);
    const bool written =
        out.endsWith(QLatin1String(".inc")) ? writeInitialiser(image, out) : image.save(out, "PNG");
    if (!written)
        std::fprintf(stderr, "cannot write %s\n", argv[argc - 1]);
    return written ? 0 : 1;
}
