#pragma once

#include <QString>

// Port entries that name a line of a serial device server on the network:
//   tcp://HOST:PORT      a raw TCP connection; the server's own line settings apply
//   rfc2217://HOST:PORT  a Telnet connection that sets the line (RFC 2217 COM-PORT-OPTION)
// The scheme's letter case is ignored, and so are blanks around the entry.
namespace NetworkAddress {

enum class Kind
{
    None, // not a network entry (a serial device path, the simulated encoder)
    Raw,
    Rfc2217
};

// The kind an entry is written as, judged by its scheme alone.
Kind kind(const QString &entry);
inline bool isAddress(const QString &entry)
{
    return kind(entry) != Kind::None;
}
// Host and port of a network entry; false when it is none or malformed (no host, a port of 0
// or above 65535, a path, query, fragment or user name).
bool parse(const QString &entry, QString *host, quint16 *port);

} // namespace NetworkAddress
