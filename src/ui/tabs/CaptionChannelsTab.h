#pragma once

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QLineEdit;

// The " Caption Channels" page: test text for one channel, the encoder's decoder output and the
// upstream blocking of each channel, each frame with its own send button.
class CaptionChannelsTab : public QWidget
{
    Q_OBJECT
public:
    explicit CaptionChannelsTab(QWidget *parent = nullptr);

    QLineEdit *sendCaptions() const { return m_sendCaptions; }
    QButtonGroup *sendChannel() const { return m_sendChannel; }
    QButtonGroup *decoder() const { return m_decoder; }
    QCheckBox *decoderSend() const { return m_decoderSend; }
    QCheckBox *blockingSend() const { return m_blockingSend; }
    QList<QCheckBox *> blocking() const { return m_blocking; }

private:
    QLineEdit *m_sendCaptions;
    QButtonGroup *m_sendChannel;
    QButtonGroup *m_decoder;
    QCheckBox *m_decoderSend;
    QCheckBox *m_blockingSend;
    QList<QCheckBox *> m_blocking;
};
