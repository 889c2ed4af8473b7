#pragma once

#include "LineSettings.h"
#include "ScriptedDialogs.h"

#include "link/CommInterface.h"
#include "link/Communications.h"
#include "link/EncoderSimulator.h"
#include "link/Sequencer.h"

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

    explicit SimLink(const QStringList &devices = {}, int baud = 1200)
        : sequencer(new Sequencer(&window, new CommInterface(new Communications(devices)), &window))
    {
        COMSettings settings = lineSettings(1, baud, "O", 7, 1);
        settings.device = Communications::simulatedDeviceName();
        channel()->setCOMSettings(settings);
    }
    CommInterface *channel() const { return sequencer->CommIFace(); }
    EncoderSimulator *encoder() const { return channel()->CommClass()->simulatedEncoder(); }
    QTimer *timeout() const { return sequencer->timerCommTimeout(); }
    bool connect()
    {
        sequencer->cmdConnect_Click();
        return QTest::qWaitFor([this] { return sequencer->linkState() == 1; }, 5000);
    }
    // The channel hands the sequencer this complete reply.
    void reply(const QString &text)
    {
        QMetaObject::invokeMethod(sequencer, "CommIFace_Ready", Q_ARG(QString, text));
    }
};
