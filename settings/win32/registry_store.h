// The settings store on Windows: the five REG_DWORD values under HKEY_CURRENT_USER
// "Software\Ostrel\Fenlight".
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "settings/settings.h"

// The five stored values. A missing key, a value that is absent, not 4 bytes long or out of range
// gives its default; never fails.
StoredSettings ReadStoredSettings();
// The same into the five settings fields of the application record.
void LoadSettings(AppState& app);
// Writes the five settings fields back, creating the key if needed. Returns 0 when all five are
// stored, otherwise the system's error code (ERROR_ACCESS_DENIED and the like) of the first step that
// failed; nothing after that step is written. The record is never changed.
int32_t SaveSettings(const AppState& app);
