#include "settings/win32/registry_store.h"

#include <windows.h>

StoredSettings ReadStoredSettings() {
    StoredSettings stored = kDefaultSettings;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        for (int32_t i = 0; i < kFieldCount; ++i) {
            const auto field = static_cast<SettingField>(i);
            // The stored type is not checked: any four bytes are a value.
            BYTE bytes[4] = {0, 0, 0, 0};
            DWORD size = sizeof bytes;
            const LONG result = RegQueryValueExA(key, kSettingRules[i].name, nullptr, nullptr, bytes, &size);
            SetSettingField(stored, field, AcceptStoredValue(field, result == ERROR_SUCCESS, size, bytes));
        }
        RegCloseKey(key);
    }
    return stored;
}

void LoadSettings(AppState& app) {
    ApplySettings(app, ReadStoredSettings());
}

int32_t SaveSettings(const AppState& app) {
    HKEY key = nullptr;
    // Setting values is all a save does, and all it asks for: a key that grants that but not full control
    // still takes the settings.
    LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS) return int32_t(result);
    const StoredSettings stored = StoredFromApp(app);
    for (int32_t i = 0; i < kFieldCount && result == ERROR_SUCCESS; ++i) {
        const DWORD value = GetSettingField(stored, static_cast<SettingField>(i));
        result = RegSetValueExA(key, kSettingRules[i].name, 0, REG_DWORD,
                                reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
    RegCloseKey(key);
    return int32_t(result);
}
