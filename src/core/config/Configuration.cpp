#include "core/config/Configuration.h"

// Equality runs over the field table and so is defined beside it, in ConfigFields.cpp.

Configuration Configuration::defaults(const DefaultInfo &info, bool daylightInEffect)
{
    Configuration c;
    c.txtNetworkName = info.networkName;
    c.txtCallLetters = info.callLetters;
    c.txtTSID = info.tsid;
    c.chDSInEffect = daylightInEffect ? 1 : 0;
    return c;
}
