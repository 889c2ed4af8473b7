#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;

// A frame whose caption is a check box: the "Enable Control" box of a packet field sits on the
// frame's top edge, outside the frame itself, so greying the frame's contents never greys it.
class EdgeCheckFrame : public QWidget
{
    Q_OBJECT
public:
    EdgeCheckFrame(const QString &frameName, const QString &checkName, const QString &checkText,
                   QWidget *parent = nullptr);

    QCheckBox *check() const { return m_check; }
    QGroupBox *frame() const { return m_frame; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QCheckBox *m_check;
    QGroupBox *m_frame;
};
