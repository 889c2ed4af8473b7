#include "ui/FirstPaintStyle.h"

#include "ui/CompiledPicture.h"
#include "ui/DeferredIconEngine.h"

#include <QApplication>
#include <QGroupBox>
#include <QPointer>
#include <QStyleOption>
#include <qdrawutil.h>

namespace {

// Qt's fusion_groupbox.png, copied by the build.
const quint32 fusionGroupBoxFrame[] = {
#include "pixels/fusion-group-box.inc"
};

} // namespace

FirstPaintStyle::FirstPaintStyle(QStyle *base)
    : QProxyStyle(base), m_fusion(qstrcmp(base->metaObject()->className(), "QFusionStyle") == 0)
{
}

void FirstPaintStyle::install()
{
    QStyle *current = QApplication::style();
    if (!qobject_cast<FirstPaintStyle *>(current))
        QApplication::setStyle(new FirstPaintStyle(current));
}

QIcon FirstPaintStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption *option,
                                    const QWidget *widget) const
{
    // An option lives only for the call, so an icon asked for with one is made at once.
    if (option || standardIcon != SP_ToolBarHorizontalExtensionButton)
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    const QPointer<QStyle> base = baseStyle();
    const QPointer<const QWidget> asker = widget;
    return QIcon(new DeferredIconEngine([base, asker, standardIcon] {
        return base ? base->standardIcon(standardIcon, nullptr, asker.data()) : QIcon();
    }));
}

void FirstPaintStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                                    QPainter *painter, const QWidget *widget) const
{
    if (element != PE_FrameGroupBox || !m_fusion) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // Fusion's own drawing, with its picture from the program instead of from a file. A group
    // box without a title or check box leaves no room above its frame.
    if (m_groupBoxFrame.isNull())
        m_groupBoxFrame = compiledPicture(fusionGroupBoxFrame);
    const int groupBoxTopMargin = 3;
    const auto *box = qobject_cast<const QGroupBox *>(widget);
    const int topMargin = box && !box->isCheckable() && box->title().isEmpty()
                              ? groupBoxTopMargin
                              : qMax(baseStyle()->pixelMetric(PM_ExclusiveIndicatorHeight),
                                     option->fontMetrics.height()) +
                                    groupBoxTopMargin;
    qDrawBorderPixmap(painter, option->rect.adjusted(0, topMargin, 0, 0), QMargins(6, 6, 6, 6),
                      m_groupBoxFrame);
}
