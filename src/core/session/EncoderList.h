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
// The list is read line by line rather than through QSettings, which merges a repeated section
// or key into one and so would drop an encoder without a word: here every repetition is refused
// with its line. Lines starting with # or ; are comments, and so is the rest of a line from a #
// or ; after a blank. A section's name may hold %XX escapes (as QSettings writes them).
namespace EncoderList {

struct Entry
{
    QString name;
    QString device;
    LineSettings line;
    QString configuration; // a path as given, made absolute; "" when none is needed nor given
};

struct Result
{
    QList<Entry> entries; // in the order of the file
    QString problem;      // "" when the list is valid; else one line naming the file and line
};

// Line values as written on the command line or in a list; "" when valid, else the problem
// (named after the command-line option, e.g. "--baud must be a positive number").
QString readLine(const QString &baud, const QString &parity, const QString &dataBits,
                 LineSettings *line);

// The device a text names, or a problem: false and *problem set when the text is no device (also
// a scheme other than tcp:// and rfc2217://, e.g. "telnet://..." or "tcp:/...").
bool checkDevice(const QString &device, QString *problem);

// What a device text will open, so that two texts for the same encoder compare equal: the
// device file with its links resolved (a bare name such as ttyS0 being /dev/ttyS0, as the port
// opens it), or the network host and port.
QString deviceKey(const QString &device);

// Reads the list at path (a file, or a pipe read once: then configurations are relative to
// the working folder). An entry without a configuration key takes defaultConfiguration; when
// that is "" too the list is refused unless needConfiguration is false.
Result read(const QString &path, const LineSettings &defaults, const QString &defaultConfiguration,
            bool needConfiguration = true);

// Writes the entries to path whole or not at all (WholeFile), so that read() gives them back:
// every key written, names escaped as %XX where a character would not read back, the
// configurations relative to the list's folder. False with the reason in *problem when the
// file could not be written, or when a value holds a double quote or a line break, which the
// format cannot carry.
bool write(const QString &path, const QList<Entry> &entries, QString *problem);

} // namespace EncoderList
