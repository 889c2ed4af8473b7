#pragma once

#include <QString>

// The five serial parameters of the encoder link. A fresh object is all zero / empty, which
// PortLine::Connect refuses to open.
struct LineSettings
{
    qint16 port = 0; // 1-based entry of the port list
    // The device the port stands for (a path, or the simulated encoder's name). Connect opens
    // this device wherever it now stands in the list; when empty, the list entry port is used.
    QString device;
    qint32 baud = 0;
    QString parity; // "E", "O" or "N"
    qint16 dataBits = 0;
    qint16 stopBits = 0;

    // "1200,O,7,1"
    QString settingsText() const
    {
        return QStringLiteral("%1,%2,%3,%4").arg(baud).arg(parity).arg(dataBits).arg(stopBits);
    }
    bool operator==(const LineSettings &o) const
    {
        return port == o.port && device == o.device && baud == o.baud && parity == o.parity &&
               dataBits == o.dataBits && stopBits == o.stopBits;
    }
};
