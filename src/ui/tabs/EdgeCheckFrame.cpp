#include "ui/tabs/EdgeCheckFrame.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

EdgeCheckFrame::EdgeCheckFrame(const QString &frameName, const QString &checkName,
                               const QString &checkText, QWidget *parent)
    : QWidget(parent), m_check(new QCheckBox(checkText, this)), m_frame(new QGroupBox(this))
{
    m_frame->setObjectName(frameName);
    m_check->setObjectName(checkName);
    // The check box paints over the frame line behind it, as a caption would.
    m_check->setAutoFillBackground(true);
    m_check->setContentsMargins(2, 0, 2, 0);

    auto *layout = new QVBoxLayout(this);
    // The frame's top edge runs through the middle of the check box.
    layout->setContentsMargins(0, m_check->sizeHint().height() / 2, 0, 0);
    layout->addWidget(m_frame);
    m_check->raise();
}

void EdgeCheckFrame::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_check->resize(m_check->sizeHint());
    m_check->move(10, 0);
    m_check->raise();
}
