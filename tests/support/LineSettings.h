#pragma once

#include "core/transport/LineSettings.h"

// The five serial parameters in one expression; by default port 1 at 9600,N,8,1.
inline LineSettings lineSettings(int port = 1, int baud = 9600, const QString &parity = "N",
                                 int dataBits = 8, int stopBits = 1)
{
    return {qint16(port), QString(), baud, parity, qint16(dataBits), qint16(stopBits)};
}
