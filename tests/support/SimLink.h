#pragma once

#include "LineSettings.h"
#include "ScriptedDialogs.h"

#include "core/session/EncoderChannel.h"
#include "core/session/Sequencer.h"
#include "core/simulator/EncoderSimulator.h"
#include "core/transport/PortLine.h"
#include "ui/LinkMessages.h"

#include <QTest>
#include <QTimer>
#include <QWidget>

// The message of a port that cannot be opened.
inline const QString kNotOpened = QStringLiteral(
    "The port could not be opened.  Please check that the port it is not in use by another "
    "application.");

// A sequencer, with scripted message boxes, over a channel whose ports are the given devices
// followed by the built-in simulated encoder; the channel is set to that encoder at 1200,O,7,1.
struct SimLink
{
    ScriptedDialogs dialogs;
    QWidget window;
    Sequencer *sequencer;
    LinkMessages *messages; // the window's boxes, answered by dialogs

    explicit SimLink(const QStringList &devices = {}, int baud = 1200)
        : sequencer(new Sequencer(new EncoderChannel(new PortLine(devices)), &window)),
          messages(new LinkMessages(sequencer, &window))
    {
        LineSettings settings = lineSettings(1, baud, "O", 7, 1);
        settings.device = PortLine::simulatedDeviceName();
        channel()->setCOMSettings(settings);
    }
    EncoderChannel *channel() const { return sequencer->channel(); }
    EncoderSimulator *encoder() const { return channel()->port()->simulatedEncoder(); }
    QTimer *timeout() const { return sequencer->timerCommTimeout(); }
    bool connect()
    {
        sequencer->toggleConnection();
        return QTest::qWaitFor(
            [this] { return sequencer->linkState() == Sequencer::LinkState::Connected; }, 5000);
    }
    // The channel hands the sequencer this complete reply.
    void reply(const QString &text)
    {
        QMetaObject::invokeMethod(sequencer, "handleReply", Q_ARG(QString, text));
    }
};
