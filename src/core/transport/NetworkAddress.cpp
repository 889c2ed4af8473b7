#include "core/transport/NetworkAddress.h"

#include <QUrl>

namespace NetworkAddress {

Kind kind(const QString &entry)
{
    const QString trimmed = entry.trimmed();
    if (trimmed.startsWith(QLatin1String("tcp://"), Qt::CaseInsensitive))
        return Kind::Raw;
    if (trimmed.startsWith(QLatin1String("rfc2217://"), Qt::CaseInsensitive))
        return Kind::Rfc2217;
    return Kind::None;
}

bool parse(const QString &entry, QString *host, quint16 *port)
{
    if (!isAddress(entry))
        return false;
    const QUrl url(entry.trimmed(), QUrl::StrictMode);
    const int number = url.port(0);
    if (!url.isValid() || url.host().isEmpty() || number < 1 || number > 65535 ||
        !url.path().isEmpty() || url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty())
        return false;
    *host = url.host();
    *port = quint16(number);
    return true;
}

} // namespace NetworkAddress
