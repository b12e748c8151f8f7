// The UTF-8 <-> UTF-16 crossing at every Windows call.
// Include only from *_win.cpp and *_win.h files.
#pragma once
#include <string>
#include <string_view>

#include "checks/platform_win.h"
#include "checks/text.h"

namespace qd::checks {

// UTF-8 to NUL-terminated UTF-16 for a Windows call.
inline std::wstring to_wide(std::string_view text)
{
    const std::u16string u = text_to_wide(text);
    return std::wstring(u.begin(), u.end());
}

// UTF-16 buffer (up to its first NUL or `capacity` units) to UTF-8.
inline std::string from_wide(const wchar_t* units, std::size_t capacity)
{
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");
    std::size_t n = 0;
    while (n < capacity && units[n] != 0) ++n;
    const std::u16string u(units, units + n);
    return wide_to_text(u.data(), u.size());
}

}  // namespace qd::checks
