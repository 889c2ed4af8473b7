#include "core/transport/LocalOpenQueue.h"

#include <QCoreApplication>
#include <QList>

namespace {

struct Turn
{
    const QObject *port;
    std::function<void()> open;
};

QList<Turn> line; // in the order the ports asked
// Opened since the event loop last ran and still open: their replies wait for the event loop.
QList<const QObject *> openedThisPass;
bool passEndPosted = false;

void nextPass();

// Posted now, the next pass comes after the event loop has dealt with what arrived meanwhile
// (the replies of the ports open already).
void postPassEnd()
{
    if (passEndPosted)
        return;
    passEndPosted = true;
    QMetaObject::invokeMethod(QCoreApplication::instance(), &nextPass, Qt::QueuedConnection);
}

void nextPass()
{
    passEndPosted = false;
    openedThisPass.clear();
    while (!line.isEmpty() && openedThisPass.size() < LocalOpenQueue::PortsPerPass) {
        const Turn turn = line.takeFirst();
        openedThisPass << turn.port;
        turn.open(); // may ask for more turns, or leave
    }
    if (!openedThisPass.isEmpty())
        postPassEnd();
}

} // namespace

bool LocalOpenQueue::takeTurn(const QObject *port, std::function<void()> open)
{
    if (!QCoreApplication::instance())
        return true; // no event loop to wait for
    postPassEnd();
    if (line.isEmpty() && openedThisPass.size() < PortsPerPass) {
        openedThisPass << port;
        return true;
    }
    line.append({port, std::move(open)});
    return false;
}

void LocalOpenQueue::leave(const QObject *port)
{
    line.removeIf([port](const Turn &turn) { return turn.port == port; });
    openedThisPass.removeAll(port);
}
