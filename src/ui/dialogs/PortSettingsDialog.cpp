#include "ui/dialogs/PortSettingsDialog.h"

#include "core/session/EncoderChannel.h"
#include "core/session/Sequencer.h"
#include "core/transport/NetworkAddress.h"
#include "core/transport/PortLine.h"
#include "ui/DialogService.h"
#include "ui/HelpLauncher.h"
#include "ui/settings/PortSettingsStore.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

namespace {

const QString kCaption = QStringLiteral("Port Settings");
const QString kDisconnectQuestion = QStringLiteral(
    "The port is currently open, and must be closed to apply the new settings.  You will need "
    "to re-connect once the settings are applied.  Continue?");
const QString kNotAnAddress = QStringLiteral(
    "Please choose a port from the list, or type the network address of a serial device "
    "server's port as tcp://HOST:PORT, or as rfc2217://HOST:PORT when the server sets the "
    "line, for example tcp://192.168.1.20:4001.");

const QString kCutShort = QStringLiteral(
    "The send was cut short: %1 of %2 commands were answered before the port was changed.");

// The device path of a cmbCOMPort row (its item data is the port number).
constexpr int kDeviceRole = Qt::UserRole + 1;

void fill(QComboBox *list, const QList<PortSettingsStore::ListRow> &rows)
{
    for (const PortSettingsStore::ListRow &row : rows)
        list->addItem(row.text, row.value);
}

void select(QComboBox *list, const QString &value, const QList<PortSettingsStore::ListRow> &rows)
{
    list->setCurrentIndex(PortSettingsStore::findIndex(value, rows));
}

} // namespace

PortSettingsDialog::PortSettingsDialog(Sequencer *sequencer, QWidget *parent)
    : QDialog(parent), m_sequencer(sequencer)
{
    setObjectName(QStringLiteral("frmPortSettings"));
    setWindowTitle(kCaption);
    setModal(true);

    auto *frame = new QGroupBox(QStringLiteral("COM Settings"), this);
    frame->setObjectName(QStringLiteral("fCOMSettings"));
    auto *grid = new QGridLayout(frame);

    const QStringList captions = {QStringLiteral("COM &Port:"), QStringLiteral("&Baud:"),
                                  QStringLiteral("P&arity:"), QStringLiteral("&Data Bits:")};
    const QStringList listNames = {QStringLiteral("cmbCOMPort"), QStringLiteral("cmbBaud"),
                                   QStringLiteral("cmbParity"), QStringLiteral("cmbDataStopBits")};
    QList<QComboBox *> lists;
    for (int i = 0; i < captions.size(); ++i) {
        auto *label = new QLabel(captions.at(i), frame);
        label->setObjectName(QStringLiteral("lblPortSettings_%1").arg(i));
        auto *list = new QComboBox(frame);
        list->setObjectName(listNames.at(i));
        label->setBuddy(list);
        grid->addWidget(label, i, 0);
        grid->addWidget(list, i, 1);
        lists << list;
    }
    m_port = lists.at(0);
    m_baud = lists.at(1);
    m_parity = lists.at(2);
    m_dataBits = lists.at(3);
    // A port can also be typed: the network address of a serial device server's line.
    m_port->setEditable(true);
    m_port->setInsertPolicy(QComboBox::NoInsert);

    auto *ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(ok, &QPushButton::clicked, this, &PortSettingsDialog::applySettings);
    connect(cancel, &QPushButton::clicked, this, &PortSettingsDialog::cancelSettings);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    setTabOrder(m_port, m_baud);
    setTabOrder(m_baud, m_parity);
    setTabOrder(m_parity, m_dataBits);
    setTabOrder(m_dataBits, ok);
    setTabOrder(ok, cancel);

    loadSettings();
}

PortSettingsDialog::~PortSettingsDialog() = default;

QComboBox *PortSettingsDialog::cmbCOMPort() const
{
    return m_port;
}

QComboBox *PortSettingsDialog::cmbBaud() const
{
    return m_baud;
}

QComboBox *PortSettingsDialog::cmbParity() const
{
    return m_parity;
}

QComboBox *PortSettingsDialog::cmbDataStopBits() const
{
    return m_dataBits;
}

void PortSettingsDialog::fillPorts()
{
    const PortLine *ports = m_sequencer->channel()->port();
    m_port->clear();
    for (int k = 1; k <= ports->totalPorts(); ++k) {
        if (ports->portIsAvailable(k)) {
            m_port->addItem(QStringLiteral("COM %1 (%2)").arg(k).arg(ports->portDevice(k)), k);
            m_port->setItemData(m_port->count() - 1, ports->portDevice(k), kDeviceRole);
        }
    }
}

void PortSettingsDialog::loadSettings()
{
    try {
        fill(m_baud, PortSettingsStore::bauds());
        fill(m_parity, PortSettingsStore::parities());
        fill(m_dataBits, PortSettingsStore::dataBitsList());
    } catch (const std::exception &e) {
        DialogService::showError(this, QStringLiteral("Error Loading Form"), kCaption,
                                 QStringLiteral("frmPortSettings"), 0,
                                 QString::fromLocal8Bit(e.what()));
    }
}

void PortSettingsDialog::fillPortList()
{
    try {
        // The ports are scanned afresh at every showing, so that an adapter plugged in since
        // the last one is offered. They are listed from the channel's own port list, so that
        // "COM n" here names the device the channel opens as port n.
        PortLine *ports = m_sequencer->channel()->port();
        ports->refreshPorts();
        fillPorts();

        // The channel's device is looked for by its path, wherever it stands in the list now.
        const LineSettings &s = m_sequencer->channel()->getCOMSettings();
        const QString device = ports->deviceFor(s);
        int portRow = device.isEmpty() ? -1 : m_port->findData(device, kDeviceRole);
        if (portRow < 0) {
            // The channel's port is not among those found (its adapter unplugged, or no device
            // there at all). It is shown as it is instead of another entry standing in for it,
            // so that OK changes the port only when the operator picks one.
            m_port->insertItem(0,
                               QStringLiteral("COM %1 (%2)")
                                   .arg(s.port)
                                   .arg(device.isEmpty() ? QStringLiteral("no device")
                                                         : device + QStringLiteral(" not found")),
                               int(s.port));
            m_port->setItemData(0, s.device, kDeviceRole);
            portRow = 0;
        }
        m_port->setCurrentIndex(portRow);
        select(m_baud, QString::number(s.baud), PortSettingsStore::bauds());
        select(m_parity, s.parity, PortSettingsStore::parities());
        select(m_dataBits, QStringLiteral("%1,%2").arg(s.dataBits).arg(s.stopBits),
               PortSettingsStore::dataBitsList());
    } catch (const std::exception &e) {
        DialogService::showError(this, QStringLiteral("Error Activating Form"), kCaption,
                                 QStringLiteral("frmPortSettings"), 0,
                                 QString::fromLocal8Bit(e.what()));
    }
}

void PortSettingsDialog::applySettings()
{
    try {
        EncoderChannel *channel = m_sequencer->channel();
        // A typed entry that is not one of the listed ports must be a network address.
        const QString typed = m_port->currentText().trimmed();
        const bool typedAddress =
            m_port->currentIndex() < 0 || typed != m_port->itemText(m_port->currentIndex());
        QString host;
        quint16 networkPort = 0;
        if (typedAddress && !NetworkAddress::parse(typed, &host, &networkPort)) {
            DialogService::tell(this, kNotAnAddress, DialogService::Icon::Exclamation, kCaption);
            return;
        }
        // A port that is still opening is as good as open: it too must be closed first.
        if (channel->portIsOpen() || channel->portIsOpening()) {
            if (DialogService::ask(this, kDisconnectQuestion, DialogService::Buttons::YesNo,
                                   DialogService::Icon::Exclamation) != DialogService::Answer::Yes)
                return;
            // The question is modal while the link runs on: by now the port may be closed,
            // and pressing Connect would open it again.
            m_sequencer->disconnectLink();
        }

        if (typedAddress) {
            // The new entry goes before the simulated encoder, which moves down by one.
            const int port = channel->port()->addDevice(typed);
            fillPorts();
            m_port->setCurrentIndex(m_port->findData(port));
        }

        LineSettings settings;
        // The simulated encoder is always listed, so the port list is never empty in practice;
        // should it be, the port in use is kept and only the line parameters change.
        settings.port = m_port->count() > 0 ? qint16(m_port->currentData().toInt())
                                            : channel->getCOMSettings().port;
        settings.device = m_port->count() > 0 ? m_port->currentData(kDeviceRole).toString()
                                              : channel->getCOMSettings().device;
        settings.baud = m_baud->currentData().toInt();
        settings.parity = m_parity->currentData().toString();
        const QStringList dataStop = m_dataBits->currentData().toString().split(QLatin1Char(','));
        settings.dataBits = qint16(dataStop.value(0).toInt());
        settings.stopBits = qint16(dataStop.value(1).toInt());
        // Commands queued for one encoder never go to another: a new device ends the send, and
        // the operator hears how far it got.
        const PortLine *ports = channel->port();
        const int asked = m_sequencer->commandsAsked();
        const int answered = m_sequencer->commandsAnswered();
        const bool cutShort =
            m_sequencer->commandsToGo() > 0 &&
            ports->deviceFor(settings) != ports->deviceFor(channel->getCOMSettings());
        if (cutShort)
            m_sequencer->dropCommands();
        channel->setCOMSettings(settings);
        accept(); // hides the dialog
        if (cutShort)
            DialogService::tell(parentWidget(), kCutShort.arg(answered).arg(asked),
                                DialogService::Icon::Exclamation);
    } catch (const std::exception &e) {
        DialogService::showError(this, QStringLiteral("Error closing Form"), kCaption,
                                 QStringLiteral("frmPortSettings"), 0,
                                 QString::fromLocal8Bit(e.what()));
    }
}

void PortSettingsDialog::cancelSettings()
{
    reject();
}

void PortSettingsDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    fillPortList();
}

void PortSettingsDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        HelpLauncher::showTopic(QStringLiteral("Port_Menu.htm"));
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
