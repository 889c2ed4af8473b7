#pragma once

#include "core/common/AppSettings.h"

// Each test program has a settings store of its own (XDG_CONFIG_HOME is set per test by CTest);
// wipe() empties it so that a test starts as at a first start.
namespace TestSettings {
inline void wipe()
{
    AppSettings::open()->clear(); // written back as the store is closed
}
} // namespace TestSettings
