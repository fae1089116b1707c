// Direct access to the settings key of the current user, for tests that set up or inspect what the
// store and the dialog read and write.
#pragma once

#include <windows.h>
#include <sddl.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "settings/settings.h"

struct RegistryValue {
    DWORD type;
    std::vector<uint8_t> bytes;
    bool operator==(const RegistryValue&) const = default;
};
using RegistrySnapshot = std::map<std::string, RegistryValue>;

inline void DeleteSettingsKey() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKeyPath);
}

// A store that really fails: the settings key's parent made volatile, under which the system refuses
// to create the (non-volatile) settings key. `false` undoes it.
inline void MakeStoreUnwritable(bool unwritable) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Ostrel");
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Ostrel");
    if (!unwritable) return;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Ostrel", 0, nullptr, REG_OPTION_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
}

// A settings key that grants only reading and setting values, so it refuses KEY_ALL_ACCESS (Wine takes the
// access list through RegSetKeySecurity, not at RegCreateKeyEx). `false` gives everyone full control again
// (the owner may always change the list) and deletes the key.
inline void MakeSettingsKeyWriteOnly(bool writeOnly) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorA(
        writeOnly ? "D:P(A;;0x20003;;;WD)" : "D:P(A;;KA;;;WD)", SDDL_REVISION_1, &descriptor, nullptr);
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0, WRITE_DAC, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
        RegCloseKey(key);
    }
    LocalFree(descriptor);
    if (!writeOnly) DeleteSettingsKey();
}

inline bool SettingsKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

inline void WriteRawValue(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
}

inline void WriteDword(const char* name, uint32_t value) {
    WriteRawValue(name, REG_DWORD, &value, 4);
}

// A fresh key holding the five values given.
inline void WriteSettings(const StoredSettings& settings) {
    DeleteSettingsKey();
    for (int32_t i = 0; i < kFieldCount; ++i) {
        WriteDword(kSettingRules[i].name, GetSettingField(settings, static_cast<SettingField>(i)));
    }
}

// Every value of the key, with its type and bytes; empty when there is no key.
inline RegistrySnapshot ReadSnapshot() {
    RegistrySnapshot snapshot;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return snapshot;
    }
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof name;
        BYTE data[256];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) {
            break;
        }
        snapshot[std::string(name, nameLength)] =
            RegistryValue{type, std::vector<uint8_t>(data, data + dataSize)};
    }
    RegCloseKey(key);
    return snapshot;
}

// The five values as REG_DWORDs, or nothing when any of them is missing or not a 4-byte REG_DWORD.
inline std::optional<StoredSettings> ReadStoredDwords() {
    const RegistrySnapshot snapshot = ReadSnapshot();
    StoredSettings settings{};
    for (int32_t i = 0; i < kFieldCount; ++i) {
        const auto it = snapshot.find(kSettingRules[i].name);
        if (it == snapshot.end() || it->second.type != REG_DWORD || it->second.bytes.size() != 4) {
            return std::nullopt;
        }
        const std::vector<uint8_t>& b = it->second.bytes;
        SetSettingField(settings, static_cast<SettingField>(i),
                        uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24);
    }
    return settings;
}

inline bool operator==(const StoredSettings& a, const StoredSettings& b) {
    return a.color == b.color && a.direction == b.direction && a.quantity == b.quantity && a.size == b.size &&
           a.speed == b.speed;
}

inline std::ostream& operator<<(std::ostream& out, const StoredSettings& s) {
    return out << "{color " << s.color << ", direction " << s.direction << ", quantity " << s.quantity
               << ", size " << s.size << ", speed " << s.speed << "}";
}
