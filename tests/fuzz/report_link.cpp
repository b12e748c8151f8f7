// The report link built from an arbitrary report: any names, any numbers, any
// code texts, any switch bytes.
// Input: two bytes of presence flags, then the fields in the report's order
// (texts with a two-byte length), then the switch bytes.
#include <array>
#include <vector>

#include "checks/text.h"
#include "fuzz_support.h"
#include "link/report_link.h"
#include "site_origin.h"

using namespace qd::checks;
using namespace qd::link;

namespace {

// Every key the link may carry, in the order it writes them.
constexpr std::array<std::string_view, 24> key_order = {"src",  "v",     "cpu",  "gpu", "ram",  "w",    "h",   "hz",
                                                        "disk", "pp",    "pm",   "gm",  "hags", "dvr",  "vbs", "wo",
                                                        "macc", "hzmax", "free", "bat", "ramr", "ramc", "drv", "os"};

bool is_link_char(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::string_view("-._~%&=?/:").find(c) != std::string_view::npos;
}

int hex_value(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;  // small letters are not written
}

std::string percent_decode(std::string_view value)
{
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '%') {
            out += value[i];
            continue;
        }
        FUZZ_CHECK(i + 2 < value.size() && hex_value(value[i + 1]) >= 0 && hex_value(value[i + 2]) >= 0);
        out += static_cast<char>(hex_value(value[i + 1]) * 16 + hex_value(value[i + 2]));
        i += 2;
    }
    return out;
}

struct Pair {
    std::string_view key;
    std::string_view value;
};

std::vector<Pair> query_pairs(std::string_view query)
{
    std::vector<Pair> pairs;
    for (;;) {
        const std::size_t end = query.find('&');
        const std::string_view piece = query.substr(0, end);
        const std::size_t equals = piece.find('=');
        FUZZ_CHECK(equals != std::string_view::npos && equals > 0);
        FUZZ_CHECK(piece.find('=', equals + 1) == std::string_view::npos);
        pairs.push_back({piece.substr(0, equals), piece.substr(equals + 1)});
        if (end == std::string_view::npos) return pairs;
        query.remove_prefix(end + 1);
    }
}

const Pair* find(const std::vector<Pair>& pairs, std::string_view key)
{
    for (const Pair& p : pairs)
        if (p.key == key) return &p;
    return nullptr;
}

void check_switch(const std::vector<Pair>& pairs, std::string_view key, TriState state)
{
    const Pair* p = find(pairs, key);
    if (state == TriState::On || state == TriState::Off) {
        FUZZ_CHECK(p != nullptr && p->value == (state == TriState::On ? "1" : "0"));
    } else {
        FUZZ_CHECK(p == nullptr);
    }
}

template <typename Number>
void check_number(const std::vector<Pair>& pairs, std::string_view key, const std::optional<Number>& value)
{
    const Pair* p = find(pairs, key);
    FUZZ_CHECK((p != nullptr) == value.has_value());
    if (p) FUZZ_CHECK(p->value == decimal(*value));
}

void check_name(const std::vector<Pair>& pairs, std::string_view key, const std::optional<std::string>& name,
                std::size_t limit)
{
    const Pair* p = find(pairs, key);
    FUZZ_CHECK((p != nullptr) == name.has_value());
    if (!p) return;
    const std::string decoded = percent_decode(p->value);
    FUZZ_CHECK(is_valid_utf8(decoded) && scalar_count(decoded) <= limit);
    FUZZ_CHECK(decoded == first_scalars(*name, limit));
}

void check_code(const std::vector<Pair>& pairs, std::string_view key, const std::optional<std::string_view>& code)
{
    const Pair* p = find(pairs, key);
    FUZZ_CHECK((p != nullptr) == code.has_value());
    if (p) FUZZ_CHECK(percent_decode(p->value) == *code);
}

bool is_eight_digits(std::string_view text)
{
    return text.size() == 8 && text.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const auto present = static_cast<std::uint32_t>(in.u64(3));
    auto has = [&](int bit) { return ((present >> bit) & 1) != 0; };
    auto long_text = [&] { return in.text_of(static_cast<std::size_t>(in.u64(2) % 700)); };

    ScanReport report;
    std::string storage, plan, mode;  // the code fields point into these
    if (has(0)) report.processor_name = long_text();
    if (has(1)) report.graphics_name = long_text();
    if (has(2)) report.memory_gb = in.u32();
    if (has(3)) report.display_size = DisplaySize{in.u32(), in.u32()};
    if (has(4)) report.refresh_hz = in.u32();
    if (has(5)) report.storage_kind = storage = in.text();
    SettingsSnapshot& s = report.settings;
    if (has(6)) s.power_plan = plan = in.text();
    if (has(7)) s.power_mode = mode = in.text();
    if (has(8)) s.max_refresh_hz = in.u32();
    if (has(9)) s.free_space_gb = in.u64();
    if (has(10)) s.memory_rated_speed = in.u32();
    if (has(11)) s.memory_configured_speed = in.u32();
    if (has(12)) s.gpu_driver_date = in.text();
    if (has(13)) s.os_build = in.u32();
    const bool nothing_found = has(14);
    // Any byte, not only the three states.
    std::array<TriState*, 7> switches = {&s.game_mode,        &s.gpu_scheduling,         &s.game_capture,
                                         &s.memory_integrity, &s.windowed_optimizations, &s.mouse_acceleration,
                                         &s.on_battery};
    for (TriState* state : switches) *state = static_cast<TriState>(in.u8());

    const std::string link = build_report_link(report, nothing_found);
    FUZZ_CHECK(link.compare(0, site_origin.size(), site_origin) == 0);
    for (const char c : link) FUZZ_CHECK(is_link_char(c));
    if (nothing_found) {
        FUZZ_CHECK(link.substr(site_origin.size()) == "/my-rig");
        return 0;
    }
    const std::string_view head = "/detect?";
    FUZZ_CHECK(link.compare(site_origin.size(), head.size(), head) == 0);
    const std::vector<Pair> pairs = query_pairs(std::string_view(link).substr(site_origin.size() + head.size()));

    // Known keys only, each once, in the fixed order.
    std::size_t next = 0;
    for (const Pair& p : pairs) {
        while (next < key_order.size() && key_order[next] != p.key) ++next;
        FUZZ_CHECK(next < key_order.size());
        ++next;
        percent_decode(p.value);  // escapes well formed
    }
    FUZZ_CHECK(pairs.size() >= 2 && pairs[0].key == "src" && pairs[0].value == "app" && pairs[1].key == "v" &&
               pairs[1].value == percent_encode(report_version));
    check_name(pairs, "cpu", report.processor_name, processor_name_limit);
    check_name(pairs, "gpu", report.graphics_name, graphics_name_limit);
    check_number(pairs, "ram", report.memory_gb);
    check_number(pairs, "w", report.display_size ? std::optional(report.display_size->width) : std::nullopt);
    check_number(pairs, "h", report.display_size ? std::optional(report.display_size->height) : std::nullopt);
    check_number(pairs, "hz", report.refresh_hz);
    check_code(pairs, "disk", report.storage_kind);
    check_code(pairs, "pp", s.power_plan);
    check_code(pairs, "pm", s.power_mode);
    const std::array<std::string_view, 7> switch_keys = {"gm", "hags", "dvr", "vbs", "wo", "macc", "bat"};
    for (std::size_t i = 0; i < switches.size(); ++i) check_switch(pairs, switch_keys[i], *switches[i]);
    check_number(pairs, "hzmax", s.max_refresh_hz);
    check_number(pairs, "free", s.free_space_gb);
    check_number(pairs, "ramr", s.memory_rated_speed);
    check_number(pairs, "ramc", s.memory_configured_speed);
    const Pair* drv = find(pairs, "drv");
    FUZZ_CHECK((drv != nullptr) == (s.gpu_driver_date && is_eight_digits(*s.gpu_driver_date)));
    if (drv) FUZZ_CHECK(drv->value == *s.gpu_driver_date);
    check_number(pairs, "os", s.os_build);
    return 0;
}
