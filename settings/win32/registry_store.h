// The settings store on Windows: the five REG_DWORD values under HKEY_CURRENT_USER
// "Software\Ostrel\Fenlight".
#pragma once

#include "app/app_state.h"

// Fills the five settings fields of the application record. A missing key, a value that is absent,
// not 4 bytes long or out of range takes its default; never fails.
void LoadSettings(AppState& app);
// Writes the five settings fields back (creating the key if needed). A failure is silent and leaves
// the record unchanged.
void SaveSettings(const AppState& app);
