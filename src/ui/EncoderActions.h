#pragma once

#include "core/commands/ControlProcessing.h"

#include <QObject>
#include <functional>

class MainWindowParts;

// What the encoder buttons of the tabs do (Caption Channels, Articles) and the configuration
// build that "Send Configuration" queues: reads the controls into a Configuration and runs the
// command builders into the sequencer's queue.
class EncoderActions : public QObject
{
    Q_OBJECT
public:
    explicit EncoderActions(MainWindowParts *window);
    ~EncoderActions() override;

    // Appends the whole configuration's commands to the queue.
    void buildConfiguration();

    // Connects the buttons cmdSendCaptions, cmdDecoderSettings, cmdBlockingSettings,
    // cmdRefreshArticles, cmdInsArticle and cmdRemoveArticle found under the window. Runs on
    // construction and once more when control returns to the event loop, so the order in which
    // the window builds its tabs does not matter; calling it again connects nothing twice.
    void connectButtons();

    // What the builders need from the window: its start-up time-zone snapshot (the clock is
    // Clock::instance()).
    ControlProcessing::Context buildContext() const;

public slots:
    void sendTestCaptions();
    void sendDecoderSettings();
    void sendBlockingSettings();
    void refreshArticles();
    void insertArticle();
    void removeArticle();

private:
    Configuration readControls() const;
    ControlProcessing::Sink queueSink() const;
    // The commands the builder steps make from the controls.
    QList<CtrlACommand> build(const std::function<void(const ControlProcessing &)> &steps) const;
    void queueArticleRequest(const QList<CtrlACommand> &commands);

    MainWindowParts *m_window;
};
