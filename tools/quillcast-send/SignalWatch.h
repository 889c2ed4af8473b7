#pragma once

#include <QObject>

class QSocketNotifier;

// SIGINT, SIGTERM and SIGHUP as events of the event loop: the handler only writes the signal's
// number to a pipe, which the loop watches, and received() tells of it there. While a watch
// lives these signals no longer end the program; SIGPIPE never does (see ignoreBrokenPipes()).
class SignalWatch : public QObject
{
    Q_OBJECT
public:
    explicit SignalWatch(QObject *parent = nullptr);
    ~SignalWatch() override;

    // A reader of standard output or of the log that goes away makes the next write fail
    // with EPIPE instead of killing the program in the middle of a command.
    static void ignoreBrokenPipes();
    // The exit status of a program ended by the signal: 128 + its number.
    static int exitStatus(int signal) { return 128 + signal; }
    // "SIGINT", "SIGTERM" or "SIGHUP".
    static QString name(int signal);

signals:
    void received(int signal);

private:
    QSocketNotifier *m_notifier = nullptr;
};
