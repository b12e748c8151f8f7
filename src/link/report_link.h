// The report link: the URL that carries one scan's findings to the web site.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "checks/scan_types.h"
#include "version.h"

namespace qd::link {

// The program version the link carries as "v".
inline constexpr std::string_view report_version = program_version;

// Free-text values are cut to this many Unicode scalar values before encoding.
inline constexpr std::size_t processor_name_limit = 120;
inline constexpr std::size_t graphics_name_limit = 160;

// The present settings as "key=value" texts, in their fixed order.
std::vector<std::string> settings_query_pairs(const checks::SettingsSnapshot& settings);

// Percent-encodes every UTF-8 byte except ASCII letters, digits and "-._~".
std::string percent_encode(std::string_view text);

// site_origin + "/detect?..." with the findings, or site_origin + "/my-rig".
std::string build_report_link(const checks::ScanReport& report, bool nothing_found);

// The host name of the site origin, as the window shows it.
std::string_view site_host();

// True for "https://" followed by dot-separated host labels of ASCII letters,
// digits and inner "-": no port, path, query or trailing "/". The build checks
// the configured origin with it, so the link never needs escaping there.
constexpr bool is_https_origin(std::string_view origin)
{
    constexpr std::string_view scheme = "https://";
    if (origin.substr(0, scheme.size()) != scheme) return false;
    std::string_view host = origin.substr(scheme.size());
    if (host.empty()) return false;
    for (;;) {
        const std::size_t dot = host.find('.');
        const std::string_view label = host.substr(0, dot);
        if (label.empty() || label.front() == '-' || label.back() == '-') return false;
        for (const char c : label) {
            const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
            if (!ok) return false;
        }
        if (dot == std::string_view::npos) return true;
        host.remove_prefix(dot + 1);
    }
}

// The host part of an origin that is_https_origin accepts.
constexpr std::string_view origin_host(std::string_view origin)
{
    const std::size_t start = origin.find("://");
    return start == std::string_view::npos ? origin : origin.substr(start + 3);
}

}  // namespace qd::link
