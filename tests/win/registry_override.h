// Registry values that the Wine tests write into their own prefix.
#pragma once
#include "checks/platform_win.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "checks/owned_win.h"

namespace qd::test {

using namespace qd::checks;

// Writes a REG_SZ value, making the key when it is missing.
inline void write_registry_text(HKEY root, const std::wstring& subkey, const wchar_t* value_name,
                                const std::wstring& text)
{
    ASSERT_EQ(RegSetKeyValueW(root, subkey.c_str(), value_name, REG_SZ, text.c_str(),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

inline bool key_exists(HKEY root, const std::wstring& subkey)
{
    UniqueRegKey key;
    return RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// Takes one registry value over for a test: remembers the value (or its
// absence, and the first missing key on its path) and restores it at the end.
class ValueOverride {
public:
    ValueOverride(HKEY root, std::wstring subkey, std::wstring value_name)
        : root_(root), subkey_(std::move(subkey)), name_(std::move(value_name))
    {
        for (std::size_t pos = 0;;) {
            const std::size_t slash = subkey_.find(L'\\', pos);
            const std::wstring prefix = subkey_.substr(0, slash);
            if (!key_exists(root_, prefix)) {
                created_ = prefix;
                return;
            }
            if (slash == std::wstring::npos) break;
            pos = slash + 1;
        }
        DWORD size = 0;
        if (RegGetValueW(root_, subkey_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type_, nullptr, &size) !=
            ERROR_SUCCESS)
            return;
        original_.resize(size);
        had_value_ = RegGetValueW(root_, subkey_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type_,
                                  original_.data(), &size) == ERROR_SUCCESS;
        original_.resize(size);
    }
    ValueOverride(const ValueOverride&) = delete;
    ValueOverride& operator=(const ValueOverride&) = delete;
    ~ValueOverride()
    {
        if (!created_.empty()) {
            RegDeleteTreeW(root_, created_.c_str());
        } else if (had_value_) {
            RegSetKeyValueW(root_, subkey_.c_str(), name_.c_str(), type_, original_.data(),
                            static_cast<DWORD>(original_.size()));
        } else {
            RegDeleteKeyValueW(root_, subkey_.c_str(), name_.c_str());
        }
    }

    void set(DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(RegSetKeyValueW(root_, subkey_.c_str(), name_.c_str(), type, data, size), ERROR_SUCCESS);
    }
    void set_dword(DWORD value) { set(REG_DWORD, &value, sizeof(value)); }
    void set_text(const std::wstring& text) { write_registry_text(root_, subkey_, name_.c_str(), text); }
    void remove()
    {
        const LSTATUS status = RegDeleteKeyValueW(root_, subkey_.c_str(), name_.c_str());
        ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << status;
    }

private:
    HKEY root_;
    std::wstring subkey_;
    std::wstring name_;
    std::wstring created_;  // the shallowest key this test made, deleted with all below it
    bool had_value_ = false;
    DWORD type_ = 0;
    std::vector<unsigned char> original_;
};

}  // namespace qd::test
