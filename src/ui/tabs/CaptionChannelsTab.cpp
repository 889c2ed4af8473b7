#include "ui/tabs/CaptionChannelsTab.h"

#include "ui/tabs/TabWidgets.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The two boxes share a caption; each takes its own letter of it.
const QString UpdateDecoderWhenSending = QStringLiteral("&Update when Sending Configuation");
const QString UpdateBlockingWhenSending = QStringLiteral("Update &when Sending Configuation");

QPushButton *button(const QString &name, const QString &text, QWidget *parent)
{
    auto *push = new QPushButton(text, parent);
    push->setObjectName(name);
    return push;
}

// Channel buttons in rows of four: the caption channels, the text channels, the rest.
void addInRows(QGridLayout *grid, const QList<QWidget *> &widgets, int firstRow, int firstColumn)
{
    for (int i = 0; i < widgets.size(); ++i)
        grid->addWidget(widgets[i], firstRow + i / 4, firstColumn + i % 4);
}

} // namespace

CaptionChannelsTab::CaptionChannelsTab(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fBorder_2"));
    const QStringList channels = {"CC1", "CC2", "CC3", "CC4", "T1", "T2", "T3", "T4"};

    // Test Captions/Text
    auto *captions = new QGroupBox(QStringLiteral("Test Captions/Text"), this);
    captions->setObjectName(QStringLiteral("fCaptions"));
    m_sendChannel = TabWidgets::optionGroup(QStringLiteral("oSendCaptions"), channels, captions);
    m_sendCaptions = TabWidgets::lineEdit(QStringLiteral("txtSendCaptions"), 32, captions);
    QPushButton *send =
        button(QStringLiteral("cmdSendCaptions"), QStringLiteral("S&end"), captions);
    auto *channelLabel =
        TabWidgets::caption(QStringLiteral("Ch&annel:"), m_sendChannel->button(0), captions);
    channelLabel->setObjectName(QStringLiteral("lblCaptionChannel"));
    auto *captionGrid = new QGridLayout(captions);
    captionGrid->setContentsMargins(12, 12, 12, 12);
    captionGrid->setVerticalSpacing(6);
    captionGrid->addWidget(channelLabel, 0, 0);
    addInRows(captionGrid, TabWidgets::members(m_sendChannel), 0, 1);
    captionGrid->addWidget(TabWidgets::caption(QStringLiteral("&Text:"), m_sendCaptions, captions),
                           2, 0);
    captionGrid->addWidget(m_sendCaptions, 2, 1, 1, 4);
    captionGrid->addWidget(send, 2, 5);
    captionGrid->setColumnStretch(6, 1);

    // Decoder Settings
    auto *decoder = new QGroupBox(QStringLiteral("Decoder Settings"), this);
    decoder->setObjectName(QStringLiteral("fDecoder"));
    m_decoder = TabWidgets::optionGroup(QStringLiteral("oDecoderSettings"),
                                        channels + QStringList{QStringLiteral("XDS"),
                                                               QStringLiteral("V-Chip"),
                                                               QStringLiteral("Off")},
                                        decoder);
    m_decoderSend = new QCheckBox(UpdateDecoderWhenSending, decoder);
    m_decoderSend->setObjectName(QStringLiteral("chDecoderSend"));
    QPushButton *sendDecoder = button(QStringLiteral("cmdDecoderSettings"),
                                      QStringLiteral("Send &Decoder Settings"), decoder);
    auto *decoderGrid = new QGridLayout(decoder);
    decoderGrid->setContentsMargins(12, 12, 12, 12);
    decoderGrid->setVerticalSpacing(6);
    addInRows(decoderGrid, TabWidgets::members(m_decoder), 0, 0);
    decoderGrid->addWidget(m_decoderSend, 3, 0, 1, 4);
    decoderGrid->addWidget(sendDecoder, 4, 0, 1, 2, Qt::AlignLeft);

    // Block Upstream Channels, ordered as the encoder takes them: CC1-CC4, XDS, T1-T4.
    auto *blocking = new QGroupBox(QStringLiteral("Block Upstream Channels"), this);
    blocking->setObjectName(QStringLiteral("fBlocking"));
    const QStringList blockNames = {"CC1", "CC2", "CC3", "CC4", "XDS", "T1", "T2", "T3", "T4"};
    for (int i = 0; i < blockNames.size(); ++i) {
        auto *box = new QCheckBox(blockNames[i], blocking);
        box->setObjectName(QStringLiteral("chBlockingSettings_%1").arg(i));
        m_blocking << box;
    }
    m_blockingSend = new QCheckBox(UpdateBlockingWhenSending, blocking);
    m_blockingSend->setObjectName(QStringLiteral("chBlockingSend"));
    QPushButton *sendBlocking = button(QStringLiteral("cmdBlockingSettings"),
                                       QStringLiteral("Send &Block Settings"), blocking);
    auto *blockingGrid = new QGridLayout(blocking);
    blockingGrid->setContentsMargins(12, 12, 12, 12);
    blockingGrid->setVerticalSpacing(6);
    // Caption channels on the first row, text channels on the second, XDS on the third, so
    // that the columns line up with the decoder's.
    for (int i = 0; i < 4; ++i) {
        blockingGrid->addWidget(m_blocking[i], 0, i);
        blockingGrid->addWidget(m_blocking[5 + i], 1, i);
    }
    blockingGrid->addWidget(m_blocking[4], 2, 0);
    // The keyboard visits the boxes row by row, as they are read.
    const QList<QWidget *> blockWidgets = {m_blocking[0], m_blocking[1], m_blocking[2],
                                           m_blocking[3], m_blocking[5], m_blocking[6],
                                           m_blocking[7], m_blocking[8], m_blocking[4]};
    blockingGrid->addWidget(m_blockingSend, 3, 0, 1, 4);
    blockingGrid->addWidget(sendBlocking, 4, 0, 1, 2, Qt::AlignLeft);

    auto *lower = new QHBoxLayout;
    lower->setSpacing(12);
    lower->addWidget(decoder);
    lower->addWidget(blocking);

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(12, 12, 12, 12);
    page->setSpacing(12);
    page->addWidget(captions);
    page->addLayout(lower);
    page->addStretch();

    TabWidgets::chainTabOrder(TabWidgets::members(m_sendChannel)
                              << m_sendCaptions << send << TabWidgets::members(m_decoder)
                              << m_decoderSend << sendDecoder << blockWidgets << m_blockingSend
                              << sendBlocking);
}
