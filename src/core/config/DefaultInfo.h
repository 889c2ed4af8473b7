#pragma once

#include <QString>

// The plant's default network name, call letters and TSID (section "Default Info" of the
// settings store). Asked for once by the default-information dialog; copied into the
// Plant Options boxes by every configuration reset.
struct DefaultInfo
{
    QString networkName; // "Network Name"
    QString callLetters; // "Call Letters"
    QString tsid;        // "TSID", decimal digits as typed

    // Reads the three texts; found is true only when all three are non-empty.
    static DefaultInfo loadDefaultInfo(bool *found);
    void saveDefaultInfo() const;
};
