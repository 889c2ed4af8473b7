#pragma once

#include "common/AppSettings.h"

// Each test program has a settings store of its own (XDG_CONFIG_HOME is set per test by CTest);
// wipe() empties it so that a test starts as at a first start.
namespace TestSettings {
inline void wipe()
{
    auto settings = AppSettings::open();
    settings->clear();
    settings->sync();
}
} // namespace TestSettings
