#include "settings/win32/registry_store.h"

#include <windows.h>

#include "settings/settings.h"

void LoadSettings(AppState& app) {
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
    ApplySettings(app, stored);
}

void SaveSettings(const AppState& app) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return;
    }
    const StoredSettings stored = StoredFromApp(app);
    for (int32_t i = 0; i < kFieldCount; ++i) {
        const DWORD value = GetSettingField(stored, static_cast<SettingField>(i));
        RegSetValueExA(key, kSettingRules[i].name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof value);
    }
    RegCloseKey(key);
}
