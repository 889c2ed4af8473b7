#pragma once

#include <QDialog>

class QComboBox;
class Sequencer;

// The modal "Port Settings" dialog of the Setup menu: port, baud rate, parity and data bits of
// the encoder link. OK hands new settings to the sequencer's channel (disconnecting first when
// the port is open, and dropping the commands queued for another device); the dialog never
// connects. The port list is scanned at every showing; the other lists are fixed.
class PortSettingsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PortSettingsDialog(Sequencer *sequencer, QWidget *parent = nullptr);
    ~PortSettingsDialog() override;

    // Every showing: lists the ports found now and selects the rows that match the channel's
    // current settings.
    void fillPortList();

    QComboBox *cmbCOMPort() const;
    QComboBox *cmbBaud() const;
    QComboBox *cmbParity() const;
    QComboBox *cmbDataStopBits() const;

public slots:
    void applySettings();
    void cancelSettings();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void loadSettings();
    void fillPorts(); // the channel's port list, as "COM n (device)"

    Sequencer *m_sequencer;
    QComboBox *m_port = nullptr;
    QComboBox *m_baud = nullptr;
    QComboBox *m_parity = nullptr;
    QComboBox *m_dataBits = nullptr;
};
