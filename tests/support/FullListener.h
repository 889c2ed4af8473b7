#pragma once

#include <QList>
#include <QtGlobal>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A loopback listener whose backlog is full: a connect to it neither succeeds nor fails, as with
// a device server that does not answer. Returns its port, 0 on failure; the descriptors to close
// go into fds.
inline quint16 fullListener(QList<int> *fds)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    fds->append(listener);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
        ::listen(listener, 0) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return 0;
    // Fill the backlog with connections nobody accepts; non-blocking, so the filling itself
    // never waits.
    for (int i = 0; i < 4; ++i) {
        const int client = ::socket(AF_INET, SOCK_STREAM, 0);
        ::fcntl(client, F_SETFL, O_NONBLOCK);
        ::connect(client, reinterpret_cast<sockaddr *>(&address), sizeof address);
        fds->append(client);
    }
    return ntohs(address.sin_port);
}
