#pragma once

#include <QObject>

class QWidget;
class Sequencer;

// The window's voice for the encoder link: the question before an operation that needs a
// connection, and one message box for each failure the sequencer reports, with the texts and
// icons the operator knows. The sequencer has done all of a failure's work (queue emptied, link
// closed) before its box opens, so nothing acts on the link while the operator reads it.
class LinkMessages : public QObject
{
    Q_OBJECT
public:
    LinkMessages(Sequencer *sequencer, QWidget *dialogParent);

    // Makes sure a connection exists or has been asked for: true when the port is open or
    // opening; otherwise asks whether to connect, and on Yes presses Connect and returns true,
    // whether or not the port could be opened.
    bool ensureConnected();

public slots:
    // Send Configuration as the operator presses it: the connection question first; on No the
    // window shows Disconnected and nothing is sent.
    void sendConfiguration();

private:
    Sequencer *m_sequencer;
    QWidget *m_parent;
};
