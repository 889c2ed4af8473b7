#pragma once

#include <QDialog>

class QComboBox;
class Sequencer;

// The modal "Port Settings" dialog of the Setup menu: port, baud rate, parity and data bits of
// the encoder link. OK hands new settings to the sequencer's channel (disconnecting first when
// the port is open); the dialog never connects. The port list is scanned at every showing; the
// other lists are fixed.
class frmPortSettings : public QDialog
{
    Q_OBJECT
public:
    explicit frmPortSettings(Sequencer *sequencer, QWidget *parent = nullptr);
    ~frmPortSettings() override;

    // Every showing: lists the ports found now and selects the rows that match the channel's
    // current settings.
    void Form_Activate();

    QComboBox *cmbCOMPort() const;
    QComboBox *cmbBaud() const;
    QComboBox *cmbParity() const;
    QComboBox *cmbDataStopBits() const;

public slots:
    void OKButton_Click();
    void CancelButton_Click();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();
    void fillPorts(); // the channel's port list, as "COM n (device)"

    Sequencer *m_sequencer;
    QComboBox *m_port = nullptr;
    QComboBox *m_baud = nullptr;
    QComboBox *m_parity = nullptr;
    QComboBox *m_dataBits = nullptr;
};
