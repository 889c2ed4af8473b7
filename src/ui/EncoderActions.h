#pragma once

#include <QObject>

class frmMainWindow;

// What the encoder buttons of the tabs do (Caption Channels, Articles) and the configuration
// build that "Send Configuration" queues: reads the controls into a Configuration and runs the
// command builders into the sequencer's queue.
class EncoderActions : public QObject
{
    Q_OBJECT
public:
    explicit EncoderActions(frmMainWindow *window);
    ~EncoderActions() override;

    // Appends the whole configuration's commands to the queue.
    void BuildConfiguration();

private:
    frmMainWindow *m_window;
};
