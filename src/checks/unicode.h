#pragma once
#include <string>
#include <string_view>

namespace qd::checks {

bool is_white_space(char32_t cp);                     // Unicode White_Space property
std::u32string lower_case(std::u32string_view text);  // full default lower-case mapping + Final_Sigma

}  // namespace qd::checks
