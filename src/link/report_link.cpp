#include "link/report_link.h"

#include <utility>

#include "checks/text.h"
#include "site_origin.h"

namespace qd::link {

static_assert(is_https_origin(site_origin), "site_origin must be https://host with no port, path or trailing slash");

namespace {

void add_pair(std::vector<std::string>& pairs, std::string_view key, std::string_view value)
{
    std::string pair;
    pair.reserve(key.size() + 1 + value.size());
    pair += key;
    pair += '=';
    pair += value;
    pairs.push_back(std::move(pair));
}

void add_switch(std::vector<std::string>& pairs, std::string_view key, checks::TriState state)
{
    if (state == checks::TriState::On) add_pair(pairs, key, "1");
    if (state == checks::TriState::Off) add_pair(pairs, key, "0");
}

template <typename Number>
void add_number(std::vector<std::string>& pairs, std::string_view key, const std::optional<Number>& value)
{
    if (value) add_pair(pairs, key, checks::decimal(*value));
}

// Codes are short fixed words, which encoding leaves as they are; encoding
// them anyway keeps the link plain ASCII whatever a code field holds.
void add_code(std::vector<std::string>& pairs, std::string_view key, const std::optional<std::string_view>& code)
{
    if (code) add_pair(pairs, key, percent_encode(*code));
}

bool is_driver_date(std::string_view text)
{
    if (text.size() != 8) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

void append_param(std::string& link, std::string_view name, std::string_view value)
{
    link += '&';
    link += name;
    link += '=';
    link += value;
}

}  // namespace

std::vector<std::string> settings_query_pairs(const checks::SettingsSnapshot& s)
{
    std::vector<std::string> pairs;
    pairs.reserve(15);
    add_code(pairs, "pp", s.power_plan);
    add_code(pairs, "pm", s.power_mode);
    add_switch(pairs, "gm", s.game_mode);
    add_switch(pairs, "hags", s.gpu_scheduling);
    add_switch(pairs, "dvr", s.game_capture);
    add_switch(pairs, "vbs", s.memory_integrity);
    add_switch(pairs, "wo", s.windowed_optimizations);
    add_switch(pairs, "macc", s.mouse_acceleration);
    add_number(pairs, "hzmax", s.max_refresh_hz);
    add_number(pairs, "free", s.free_space_gb);
    add_switch(pairs, "bat", s.on_battery);
    add_number(pairs, "ramr", s.memory_rated_speed);
    add_number(pairs, "ramc", s.memory_configured_speed);
    if (s.gpu_driver_date && is_driver_date(*s.gpu_driver_date)) add_pair(pairs, "drv", *s.gpu_driver_date);
    add_number(pairs, "os", s.os_build);
    return pairs;
}

std::string percent_encode(std::string_view text)
{
    constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        }
    }
    return out;
}

std::string build_report_link(const checks::ScanReport& report, bool nothing_found)
{
    std::string link(site_origin);
    if (nothing_found) {
        link += "/my-rig";
        return link;
    }
    link += "/detect?src=app";
    append_param(link, "v", percent_encode(report_version));
    if (report.processor_name)
        append_param(link, "cpu", percent_encode(checks::first_scalars(*report.processor_name, processor_name_limit)));
    if (report.graphics_name)
        append_param(link, "gpu", percent_encode(checks::first_scalars(*report.graphics_name, graphics_name_limit)));
    if (report.memory_gb) append_param(link, "ram", checks::decimal(*report.memory_gb));
    if (report.display_size) {
        append_param(link, "w", checks::decimal(report.display_size->width));
        append_param(link, "h", checks::decimal(report.display_size->height));
    }
    if (report.refresh_hz) append_param(link, "hz", checks::decimal(*report.refresh_hz));
    if (report.storage_kind) append_param(link, "disk", percent_encode(*report.storage_kind));
    for (const std::string& pair : settings_query_pairs(report.settings)) {
        link += '&';
        link += pair;
    }
    return link;
}

std::string_view site_host() { return origin_host(site_origin); }

}  // namespace qd::link
