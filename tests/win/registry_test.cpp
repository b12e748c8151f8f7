// read_registry_text / read_registry_dword against Wine's real registry, on
// values this test writes into its own prefix.
#include "checks/registry.h"
#include "checks/owned_win.h"

#include <gtest/gtest.h>

using namespace qd::checks;

namespace {

const wchar_t* const test_key = L"Software\\QuellixDetectTests\\Registry";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(
            RegCreateKeyExW(HKEY_CURRENT_USER, test_key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
            ERROR_SUCCESS);
    }
    void TearDown() override
    {
        key.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, test_key);
    }
    void set_text(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ)
    {
        ASSERT_EQ(RegSetValueExW(key.get(), name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    void set_dword(const wchar_t* name, DWORD value)
    {
        ASSERT_EQ(RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)),
                  ERROR_SUCCESS);
    }
    void set_binary(const wchar_t* name, const void* data, DWORD size, DWORD type)
    {
        ASSERT_EQ(RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    UniqueRegKey key;
    const char* subkey = "Software\\QuellixDetectTests\\Registry";
};

}  // namespace

TEST_F(RegistryTest, ReadsTextValuesUpTo1023Characters)
{
    set_text(L"Name", L"Acme \u00e9 \U0001F600");
    EXPECT_EQ(read_registry_text(HKEY_CURRENT_USER, subkey, "Name"), "Acme \xC3\xA9 \xF0\x9F\x98\x80");
    set_text(L"Empty", L"");
    EXPECT_EQ(read_registry_text(HKEY_CURRENT_USER, subkey, "Empty"), "");
    set_text(L"Fits", std::wstring(1023, L'x'));
    EXPECT_EQ(read_registry_text(HKEY_CURRENT_USER, subkey, "Fits"), std::string(1023, 'x'));
    set_text(L"TooLong", std::wstring(1024, L'x'));
    EXPECT_FALSE(read_registry_text(HKEY_CURRENT_USER, subkey, "TooLong"));
    set_text(L"Long", std::wstring(2000, L'x'));
    EXPECT_FALSE(read_registry_text(HKEY_CURRENT_USER, subkey, "Long"));
}

TEST_F(RegistryTest, TextOfAnotherTypeOrMissingIsAbsent)
{
    set_dword(L"Number", 7);
    EXPECT_FALSE(read_registry_text(HKEY_CURRENT_USER, subkey, "Number"));
    const wchar_t multi[] = L"a\0b\0";
    set_binary(L"Multi", multi, sizeof(multi), REG_MULTI_SZ);
    EXPECT_FALSE(read_registry_text(HKEY_CURRENT_USER, subkey, "Multi"));
    EXPECT_FALSE(read_registry_text(HKEY_CURRENT_USER, subkey, "Missing"));
    EXPECT_FALSE(read_registry_text(HKEY_CURRENT_USER, "Software\\QuellixDetectTests\\NoSuchKey", "Name"));
}

TEST_F(RegistryTest, UnterminatedTextIsTerminatedByTheReader)
{
    const wchar_t raw[] = {L'a', L'b', L'c'};  // stored without its NUL
    set_binary(L"Raw", raw, sizeof(raw), REG_SZ);
    EXPECT_EQ(read_registry_text(HKEY_CURRENT_USER, subkey, "Raw"), "abc");
}

TEST_F(RegistryTest, ReadsDwordsOnlyOfTheirOwnType)
{
    set_dword(L"Number", 0xFFFFFFFF);
    EXPECT_EQ(read_registry_dword(HKEY_CURRENT_USER, subkey, "Number"), 0xFFFFFFFFu);
    set_dword(L"Zero", 0);
    EXPECT_EQ(read_registry_dword(HKEY_CURRENT_USER, subkey, "Zero"), 0u);
    set_text(L"Text", L"1");
    EXPECT_FALSE(read_registry_dword(HKEY_CURRENT_USER, subkey, "Text"));
    const unsigned long long qword = 1;
    set_binary(L"Qword", &qword, sizeof(qword), REG_QWORD);
    EXPECT_FALSE(read_registry_dword(HKEY_CURRENT_USER, subkey, "Qword"));
    const unsigned char bytes[2] = {1, 0};
    set_binary(L"Short", bytes, sizeof(bytes), REG_DWORD);
    EXPECT_FALSE(read_registry_dword(HKEY_CURRENT_USER, subkey, "Short"));
    EXPECT_FALSE(read_registry_dword(HKEY_CURRENT_USER, subkey, "Missing"));
}
