#pragma once

#include <QStringList>

// The serial devices offered as ports 1, 2, ...: first the paths named in the settings store
// (section "LineSettings", key "Devices", separated by ";"), then the system's serial ports
// sorted by name. A device named twice is listed once, at its first place.
namespace PortList {

constexpr int MaximumDevices = 16;

QStringList configuredDevices(); // the "Devices" entries, blanks around each path removed
QStringList systemDevices();     // the system's serial ports, sorted
QStringList devices();           // both, at most MaximumDevices entries

} // namespace PortList
