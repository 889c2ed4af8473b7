#pragma once

#include "link/COMSettings.h"

// The five serial parameters in one expression; by default port 1 at 9600,N,8,1.
inline COMSettings lineSettings(int port = 1, int baud = 9600, const QString &parity = "N",
                                int dataBits = 8, int stopBits = 1)
{
    COMSettings s;
    s.port = qint16(port);
    s.baud = baud;
    s.parity = parity;
    s.dataBits = qint16(dataBits);
    s.StopBits = qint16(stopBits);
    return s;
}
