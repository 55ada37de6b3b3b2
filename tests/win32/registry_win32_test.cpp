// The real registry behind RegSettings, under a throw-away company key.

#include "settings/registry_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "settings/reg_settings.h"

namespace veilora {
namespace {

const std::wstring kSection = L"Software\\VeiloraTest\\Veilora\\S";

struct RegistryWin32Test : ::testing::Test {
    void SetUp() override {
        TearDown();
        settings.setCompany("VeiloraTest");
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VeiloraTest"); }
    // Bytes exactly as given, past the backend.
    static void putRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSection.c_str(), name, type, data, size), 0);
    }
    // A text value as stored; none reads as empty.
    static std::wstring readRaw(const wchar_t* name) {
        wchar_t buffer[256] = {};
        DWORD size = sizeof buffer;
        RegGetValueW(HKEY_CURRENT_USER, kSection.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer,
                     &size);
        return buffer;
    }

    RegistryWin32 backend;
    RegSettings settings{backend};
};

TEST_F(RegistryWin32Test, EmptyStringReadsEmptyZeroBytesGiveTheDefaultDamageIsHarmless) {
    ASSERT_TRUE(settings.saveSetting("S", "Empty", ""));
    EXPECT_EQ(settings.getSetting("S", "Empty", "d"), "");
    putRaw(L"NoBytes", REG_SZ, "", 0);
    EXPECT_EQ(settings.getSetting("S", "NoBytes", "d"), "d");
    EXPECT_EQ(settings.getSetting("Missing", "Empty", "d"), "d");

    putRaw(L"NoNul", REG_SZ, L"ab", 4);
    EXPECT_EQ(settings.getSetting("S", "NoNul"), "ab");
    putRaw(L"OddSize", REG_SZ, L"xyz", 3);
    EXPECT_EQ(settings.getSetting("S", "OddSize"), "x");
    putRaw(L"Inner", REG_SZ, L"a\0b", 8);
    EXPECT_EQ(settings.getSetting("S", "Inner"), "a");
    const DWORD one = 1;
    putRaw(L"Number", REG_DWORD, &one, sizeof one);
    EXPECT_EQ(settings.getSetting("S", "Number"), std::string("\1\0\0", 3));
    const std::wstring huge(1 << 20, L'w');
    putRaw(L"Huge", REG_SZ, huge.c_str(), static_cast<DWORD>((huge.size() + 1) * 2));
    EXPECT_EQ(settings.getSetting("S", "Huge"), std::string(huge.size(), 'w'));
}

// ANSI in the core, UTF-16 in the registry.
TEST_F(RegistryWin32Test, AnsiTextsAreStoredAsUnicode) {
    if (GetACP() != 1252) GTEST_SKIP() << "written for the Western code page 1252";
    ASSERT_TRUE(settings.saveSetting("S", "Accent", "caf\xE9"));
    EXPECT_EQ(readRaw(L"Accent"), L"caf\u00E9");
    EXPECT_EQ(settings.getSetting("S", "Accent"), "caf\xE9");
}

TEST_F(RegistryWin32Test, GetAllSettingsSkipsValuesThatAreNotStrings) {
    settings.saveSetting("S", "Text", "one");
    settings.saveSetting("S", "Blank", "");
    const DWORD seven = 7;
    putRaw(L"Number", REG_DWORD, &seven, sizeof seven);
    putRaw(L"Binary", REG_BINARY, "xy", 2);
    putRaw(L"Expand", REG_EXPAND_SZ, L"%x%", 8);
    auto rows = settings.getAllSettings("S");
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (decltype(rows){{"Blank", ""}, {"Text", "one"}}));

    settings.deleteSetting("S", "Text");
    settings.deleteSetting("S", "Blank");
    EXPECT_TRUE(settings.getAllSettings("S").empty());
}

TEST_F(RegistryWin32Test, StarIsTheDefaultValueAndSectionsCanBeDeleted) {
    ASSERT_TRUE(settings.saveSetting("S", "*", "dv"));
    EXPECT_EQ(readRaw(nullptr), L"dv");
    EXPECT_EQ(settings.getSetting("S", "*"), "dv");
    EXPECT_TRUE(settings.deleteSetting("S", "*"));
    EXPECT_FALSE(settings.deleteSetting("S", "*"));

    settings.saveSetting("S", "A", "1");
    EXPECT_TRUE(settings.deleteSetting("S"));
    EXPECT_EQ(settings.getSetting("S", "A", "gone"), "gone");
    EXPECT_FALSE(settings.deleteSetting("S"));
}

}  // namespace
}  // namespace veilora
