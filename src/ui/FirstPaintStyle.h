#pragma once

#include <QPixmap>
#include <QProxyStyle>

// The application's style as -style, QT_STYLE_OVERRIDE or the desktop chose it, except that what
// the main window's first paint needs is drawn without reading an image file: the first image
// read loads and probes every image-format plugin, and with the image decoder that is a good part
// of a megabyte and several milliseconds before the window is there.
// - The extension button of a menu bar (shown only when the menus do not fit) reads its icon when
//   it is first drawn, not when Qt's menu bar is built.
// - Fusion's group box frame is drawn from a copy of its picture compiled into the program.
class FirstPaintStyle : public QProxyStyle
{
    Q_OBJECT

public:
    // Wraps the application's style, once.
    static void install();

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;

private:
    explicit FirstPaintStyle(QStyle *base);

    bool m_fusion = false;
    mutable QPixmap m_groupBoxFrame;
};
