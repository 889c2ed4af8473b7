#pragma once

#include <functional>

class QObject;

// Takes turns at opening local serial ports. The system takes a few milliseconds to open one, so
// a program that opened thousands in a row would keep its event loop from the replies of the
// ports opened first for seconds, and their reply time-outs would run out unread. While a few
// ports opened since the event loop last ran are still open, the others wait in line; they open
// a few per pass of the event loop, from the event loop, in the order they asked.
class LocalOpenQueue
{
public:
    static constexpr int PortsPerPass = 4;

    // True when port may open now. Otherwise it waits in line, and open is called at its turn
    // from the event loop (unless leave(port) comes first).
    static bool takeTurn(const QObject *port, std::function<void()> open);
    // The port closes: it gives up its place in the line, or no longer counts as opened in this
    // pass.
    static void leave(const QObject *port);
};
