#pragma once

#include "core/transport/LineSettings.h"

#include <QList>
#include <QString>

// The encoders of a plant, as quillcast-send --encoders reads them from an INI file: one section
// per encoder, named after it, with the keys
//   device         a serial device path, tcp://HOST:PORT or rfc2217://HOST:PORT (required)
//   baud           default: the command line's --baud
//   parity         E, O or N; default: the command line's --parity
//   data-bits      7 or 8; default: the command line's --data-bits
//   configuration  a .qcf file, relative to the list's folder; default: the command line's file
namespace EncoderList {

struct Entry
{
    QString name;
    QString device;
    LineSettings line;
    QString configuration; // a path as given, made absolute
};

struct Result
{
    QList<Entry> entries; // in the order of the file
    QString problem;      // "" when the list is valid; else one line naming the entry
};

// Line values as written on the command line or in a list; "" when valid, else the problem
// (named after the command-line option, e.g. "--baud must be a positive number").
QString readLine(const QString &baud, const QString &parity, const QString &dataBits,
                 LineSettings *line);

// The device a text names, or a problem: "" and *problem set when the text is no device.
bool checkDevice(const QString &device, QString *problem);

// Two device texts name the same encoder (the same file through any link, or the same network
// address written alike).
QString deviceKey(const QString &device);

Result read(const QString &path, const LineSettings &defaults, const QString &defaultConfiguration);

} // namespace EncoderList
