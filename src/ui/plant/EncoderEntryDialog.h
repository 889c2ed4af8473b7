#pragma once

#include "core/session/EncoderList.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

// Add Encoder... and Edit Encoder... of the plant window: an entry of the encoder list, its
// name, device (the ports Setup > Port Settings lists, or a typed path, tcp://HOST:PORT or
// rfc2217://HOST:PORT), line settings and configuration file. OK checks the entry as the list
// reader does, against the others of the list, and tells what is wrong instead of closing.
class EncoderEntryDialog : public QDialog
{
    Q_OBJECT
public:
    // others: the list's other entries, which the entry must not repeat.
    EncoderEntryDialog(const QList<EncoderList::Entry> &others, QWidget *parent = nullptr);

    void setEntry(const EncoderList::Entry &entry);
    EncoderList::Entry entry() const { return m_entry; }

    // "" when the fields make a valid entry (then entry() holds it), else the problem.
    QString check();

public slots:
    void accept() override;
    void browseConfiguration();

private:
    QList<EncoderList::Entry> m_others;
    EncoderList::Entry m_entry;
    QLineEdit *m_name;
    QComboBox *m_device;
    QComboBox *m_baud;
    QComboBox *m_parity;
    QComboBox *m_dataBits;
    QLineEdit *m_configuration;
};
