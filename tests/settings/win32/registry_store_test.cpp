// The registry store on the real registry of the test's Wine prefix.
#include "settings/win32/registry_store.h"

#include <gtest/gtest.h>

#include "registry_test_util.h"

namespace {

class RegistryStore : public testing::Test {
protected:
    void SetUp() override { DeleteSettingsKey(); }
    void TearDown() override { DeleteSettingsKey(); }

    // Loads into a record that holds nonsense first, so every field is seen to be written.
    static AppState Load() {
        AppState app{};
        app.quantity = -5;
        app.sizeValue = -1.0f;
        app.speedValue = -1.0f;
        app.colour = 99;
        app.direction = 99;
        LoadSettings(app);
        return app;
    }
};

TEST_F(RegistryStore, NoKeyGivesTheDefaults) {
    const AppState app = Load();
    EXPECT_EQ(app.quantity, 77);
    EXPECT_EQ(app.sizeValue, 2.97f);
    EXPECT_EQ(app.speedValue, 9.95f);
    EXPECT_EQ(app.colour, 5);
    EXPECT_EQ(app.direction, 1);
    EXPECT_FALSE(SettingsKeyExists()) << "a load must not create the key";
}

TEST_F(RegistryStore, FirstSaveCreatesTheKeyWithFiveDwords) {
    AppState app{};
    ApplySettings(app, StoredSettings{2, 0, 120, 100, 0});
    EXPECT_EQ(SaveSettings(app), 0);
    const RegistrySnapshot snapshot = ReadSnapshot();
    ASSERT_EQ(snapshot.size(), 5u);
    for (const auto& [name, value] : snapshot) EXPECT_EQ(value.type, DWORD{REG_DWORD}) << name;
    EXPECT_EQ(ReadStoredDwords(), (StoredSettings{2, 0, 120, 100, 0}));
}

TEST_F(RegistryStore, ASaveThatCannotCreateTheKeyGivesTheSystemsReason) {
    MakeStoreUnwritable(true);
    AppState app{};
    ApplySettings(app, StoredSettings{2, 0, 120, 100, 0});
    EXPECT_EQ(SaveSettings(app), int32_t(ERROR_CHILD_MUST_BE_VOLATILE));
    EXPECT_FALSE(SettingsKeyExists());
    EXPECT_EQ(app.quantity, 120) << "the record is left as it was";
    MakeStoreUnwritable(false);
    EXPECT_EQ(SaveSettings(app), 0);
}

TEST_F(RegistryStore, ASaveNeedsOnlyTheRightToSetValues) {
    MakeSettingsKeyWriteOnly(true);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_ALL_ACCESS, &key),
              ERROR_ACCESS_DENIED)
        << "the key must refuse full control for this test to mean anything";
    AppState app{};
    ApplySettings(app, StoredSettings{3, 2, 20, 0, 100});
    EXPECT_EQ(SaveSettings(app), 0);
    EXPECT_EQ(ReadStoredDwords(), (StoredSettings{3, 2, 20, 0, 100}));
    MakeSettingsKeyWriteOnly(false);
    EXPECT_FALSE(SettingsKeyExists());
}

TEST_F(RegistryStore, MissingOrMalformedValuesTakeOnlyTheirOwnDefault) {
    WriteSettings(StoredSettings{0, 2, 40, 10, 90});
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kSettingsKeyPath, "Quantity");
    ASSERT_EQ(ReadSnapshot().count("Quantity"), 0u);
    AppState app = Load();
    EXPECT_EQ(app.quantity, 77);
    EXPECT_EQ(StoredFromApp(app), (StoredSettings{0, 2, 77, 10, 90}));

    // A REG_DWORD of two bytes reads "successfully" with a size of 2: not a value.
    WriteSettings(StoredSettings{0, 2, 40, 10, 90});
    const uint16_t shortSize = 50;
    WriteRawValue("Size", REG_DWORD, &shortSize, sizeof shortSize);
    ASSERT_EQ(ReadSnapshot()["Size"].bytes.size(), 2u);
    EXPECT_EQ(StoredFromApp(Load()), (StoredSettings{0, 2, 40, 26, 90}));

    // Eight bytes do not fit the four-byte buffer.
    WriteSettings(StoredSettings{0, 2, 40, 10, 90});
    const uint64_t longSpeed = 50;
    WriteRawValue("Speed", REG_QWORD, &longSpeed, sizeof longSpeed);
    ASSERT_EQ(ReadSnapshot()["Speed"].bytes.size(), 8u);
    EXPECT_EQ(StoredFromApp(Load()), (StoredSettings{0, 2, 40, 10, 33}));

    // The type is not checked: four bytes of REG_BINARY are a value.
    WriteSettings(StoredSettings{0, 2, 40, 10, 90});
    const uint8_t amber[4] = {2, 0, 0, 0};
    WriteRawValue("Color", REG_BINARY, amber, sizeof amber);
    EXPECT_EQ(StoredFromApp(Load()), (StoredSettings{2, 2, 40, 10, 90}));

    // Out of range, including 0xFFFFFFFF.
    WriteSettings(StoredSettings{6, 0xFFFFFFFFu, 121, 101, 0xFFFFFFFFu});
    EXPECT_EQ(StoredFromApp(Load()), kDefaultSettings);
    WriteSettings(StoredSettings{5, 4, 20, 0, 100});
    EXPECT_EQ(StoredFromApp(Load()), (StoredSettings{5, 4, 20, 0, 100}));
}

TEST_F(RegistryStore, EveryPositionSurvivesLoadAndSave) {
    for (uint32_t p = 0; p <= 100; ++p) {
        const StoredSettings stored{p % 6, p % 5, 20 + p, p, 100 - p};
        WriteSettings(stored);
        SaveSettings(Load());
        EXPECT_EQ(ReadStoredDwords(), stored) << "position " << p;
    }
}

}  // namespace
