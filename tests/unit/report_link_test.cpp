// The report link: its grammar, its encoding and its two cuts.
#include "link/report_link.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "sample_findings.h"
#include "site_origin.h"
#include "version.h"

using namespace qd::test;

using namespace qd::link;

namespace {

// Every "/detect?" link starts so.
const std::string detect_start = std::string(site_origin) + "/detect?src=app&v=" + std::string(program_version);

using Params = std::vector<std::pair<std::string, std::string>>;

// The query of a "/detect?" link as (name, value) in order; values still encoded.
Params query_params(const std::string& link)
{
    const std::string head = std::string(site_origin) + "/detect?";
    if (link.compare(0, head.size(), head) != 0) return {{"(not a detect link)", link}};
    Params params;
    std::string_view rest = std::string_view(link).substr(head.size());
    for (;;) {
        const std::size_t amp = rest.find('&');
        const std::string_view param = rest.substr(0, amp);
        const std::size_t eq = param.find('=');
        if (eq == std::string_view::npos) {
            params.emplace_back(std::string(param), "(no =)");
        } else {
            params.emplace_back(std::string(param.substr(0, eq)), std::string(param.substr(eq + 1)));
        }
        if (amp == std::string_view::npos) return params;
        rest.remove_prefix(amp + 1);
    }
}

std::vector<std::string> names_of(const Params& params)
{
    std::vector<std::string> names;
    for (const auto& p : params) names.push_back(p.first);
    return names;
}

const std::string* value_of(const Params& params, std::string_view name)
{
    for (const auto& p : params)
        if (p.first == name) return &p.second;
    return nullptr;
}

int hex_digit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;  // small letters are not what the link writes
}

// Undoes percent_encode; nullopt when a "%" is not followed by two upper-case hex digits.
std::optional<std::string> percent_decode(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int hi = hex_digit(text[i + 1]);
        const int lo = hex_digit(text[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

// The number of scalar values of strictly valid UTF-8, or nullopt when malformed.
std::optional<std::size_t> utf8_scalar_count(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t len = 0;
        std::uint32_t cp = 0;
        if (b < 0x80) {
            len = 1;
            cp = b;
        } else if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
            cp = b & 0x1Fu;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            cp = b & 0x0Fu;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            cp = b & 0x07u;
        } else {
            return std::nullopt;
        }
        if (i + len > text.size()) return std::nullopt;
        for (std::size_t k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) return std::nullopt;
            cp = (cp << 6) | (c & 0x3Fu);
        }
        const std::uint32_t min_for_len[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < min_for_len[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
        i += len;
    }
    return count;
}

std::string repeat(std::string_view piece, std::size_t n)
{
    std::string out;
    for (std::size_t i = 0; i < n; ++i) out += piece;
    return out;
}

const std::vector<std::string> all_names = {"src",  "v",     "cpu",  "gpu", "ram",  "w",    "h",   "hz",
                                            "disk", "pp",    "pm",   "gm",  "hags", "dvr",  "vbs", "wo",
                                            "macc", "hzmax", "free", "bat", "ramr", "ramc", "drv", "os"};

ScanReport full_report()
{
    ScanReport r;
    r.settings = full_settings();
    r.processor_name = "Acme(R) Core 8-Core";
    r.graphics_name = "Acme Graphics 9000";
    r.memory_gb = 32;
    r.display_size = DisplaySize{2560, 1440};
    r.refresh_hz = 165;
    r.storage_kind = "nvme";
    return r;
}

}  // namespace

TEST(PercentEncode, KeepsUnreservedAndEncodesEveryOtherByteInUpperCase)
{
    const struct {
        std::string in;
        const char* out;
    } cases[] = {
        {"", ""},
        {"AZaz09-._~", "AZaz09-._~"},
        {" ", "%20"},
        {"%", "%25"},
        {"%20", "%2520"},  // nothing is decoded first
        {"+&=/?#:", "%2B%26%3D%2F%3F%23%3A"},
        {"Acme(R) Core 8-Core", "Acme%28R%29%20Core%208-Core"},
        {"\xC3\xA9", "%C3%A9"},                // é
        {"\xF0\x9F\x98\x80", "%F0%9F%98%80"},  // U+1F600: four groups
        {std::string("a\0b", 3), "a%00b"},
        {"\x01\x1F\x7F", "%01%1F%7F"},
        {"\x80\xFF", "%80%FF"},  // stray bytes are encoded as they are
    };
    for (const auto& c : cases) EXPECT_EQ(percent_encode(c.in), c.out);
}

TEST(SettingsQueryPairs, EachFieldAloneGivesItsOnePair)
{
    using Setter = void (*)(SettingsSnapshot&);
    const struct {
        Setter set;
        std::vector<std::string> pairs;
    } cases[] = {
        {[](SettingsSnapshot&) {}, {}},
        {[](SettingsSnapshot& s) { s.power_plan = "oth"; }, {"pp=oth"}},
        {[](SettingsSnapshot& s) { s.power_mode = "eff"; }, {"pm=eff"}},
        {[](SettingsSnapshot& s) { s.game_mode = TriState::Off; }, {"gm=0"}},
        {[](SettingsSnapshot& s) { s.game_mode = TriState::On; }, {"gm=1"}},
        {[](SettingsSnapshot& s) { s.gpu_scheduling = TriState::On; }, {"hags=1"}},
        {[](SettingsSnapshot& s) { s.game_capture = TriState::Off; }, {"dvr=0"}},
        {[](SettingsSnapshot& s) { s.memory_integrity = TriState::On; }, {"vbs=1"}},
        {[](SettingsSnapshot& s) { s.windowed_optimizations = TriState::Off; }, {"wo=0"}},
        {[](SettingsSnapshot& s) { s.mouse_acceleration = TriState::On; }, {"macc=1"}},
        {[](SettingsSnapshot& s) { s.max_refresh_hz = 0u; }, {"hzmax=0"}},
        {[](SettingsSnapshot& s) { s.free_space_gb = 0u; }, {"free=0"}},
        {[](SettingsSnapshot& s) { s.free_space_gb = std::numeric_limits<std::uint64_t>::max(); },
         {"free=18446744073709551615"}},
        {[](SettingsSnapshot& s) { s.on_battery = TriState::On; }, {"bat=1"}},
        {[](SettingsSnapshot& s) { s.memory_rated_speed = 4800u; }, {"ramr=4800"}},
        {[](SettingsSnapshot& s) { s.memory_configured_speed = 4294967295u; }, {"ramc=4294967295"}},
        {[](SettingsSnapshot& s) { s.gpu_driver_date = "20240614"; }, {"drv=20240614"}},
        {[](SettingsSnapshot& s) { s.gpu_driver_date = "00000000"; }, {"drv=00000000"}},
        {[](SettingsSnapshot& s) { s.gpu_driver_date = "2024061"; }, {}},
        {[](SettingsSnapshot& s) { s.gpu_driver_date = "202406140"; }, {}},
        {[](SettingsSnapshot& s) { s.gpu_driver_date = "2024O614"; }, {}},
        {[](SettingsSnapshot& s) { s.gpu_driver_date = "2024 614"; }, {}},
        {[](SettingsSnapshot& s) { s.gpu_driver_date = "+2024061"; }, {}},
        {[](SettingsSnapshot& s) { s.gpu_driver_date = ""; }, {}},
        {[](SettingsSnapshot& s) { s.gpu_driver_date = "2024\xEF\xBC\x91"; }, {}},  // 8 bytes, a full-width digit
        {[](SettingsSnapshot& s) { s.os_build = 1u; }, {"os=1"}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SettingsSnapshot s;
        cases[i].set(s);
        EXPECT_EQ(settings_query_pairs(s), cases[i].pairs) << "case " << i;
    }
}

TEST(SettingsQueryPairs, FullSnapshotInFixedOrder)
{
    const std::vector<std::string> expected = {"pp=hp", "pm=best",   "gm=1",      "hags=0",       "dvr=1",
                                               "vbs=0", "wo=1",      "macc=0",    "hzmax=240",    "free=512",
                                               "bat=0", "ramr=6000", "ramc=5600", "drv=20240614", "os=22631"};
    EXPECT_EQ(settings_query_pairs(full_settings()), expected);
}

TEST(ReportLink, FullReportHasEveryNameInOrder)
{
    const std::string link = build_report_link(full_report(), false);
    EXPECT_EQ(link, detect_start +
                        "&cpu=Acme%28R%29%20Core%208-Core&gpu=Acme%20Graphics%209000&ram=32"
                        "&w=2560&h=1440&hz=165&disk=nvme&pp=hp&pm=best&gm=1&hags=0&dvr=1&vbs=0&wo=1&macc=0"
                        "&hzmax=240&free=512&bat=0&ramr=6000&ramc=5600&drv=20240614&os=22631");
    EXPECT_EQ(names_of(query_params(link)), all_names);
}

TEST(ReportLink, NothingFoundIsTheShortFormWhateverTheReportHolds)
{
    EXPECT_EQ(build_report_link(full_report(), true), std::string(site_origin) + "/my-rig");
    EXPECT_EQ(build_report_link(ScanReport{}, true), std::string(site_origin) + "/my-rig");
}

TEST(ReportLink, AbsentFieldsOnlyShortenTheQuery)
{
    ScanReport bare;
    bare.settings.game_mode = TriState::Off;
    EXPECT_EQ(build_report_link(bare, false), detect_start + "&gm=0");
    EXPECT_EQ(build_report_link(ScanReport{}, false), detect_start);

    const struct {
        std::optional<DisplaySize> size;
        std::optional<std::uint32_t> hz;
        std::vector<std::string> names;
    } displays[] = {
        {DisplaySize{1920, 1080}, std::nullopt, {"src", "v", "w", "h"}},
        {std::nullopt, 60u, {"src", "v", "hz"}},
        {DisplaySize{0, 0}, 0u, {"src", "v", "w", "h", "hz"}},
    };
    for (const auto& d : displays) {
        ScanReport r;
        r.display_size = d.size;
        r.refresh_hz = d.hz;
        EXPECT_EQ(names_of(query_params(build_report_link(r, false))), d.names);
    }

    ScanReport empty_names;
    empty_names.processor_name = "";
    empty_names.graphics_name = "";
    empty_names.memory_gb = 0;
    EXPECT_EQ(build_report_link(empty_names, false), detect_start + "&cpu=&gpu=&ram=0");
}

TEST(ReportLink, NamesAreCutByScalarValuesBeforeEncoding)
{
    const std::string e_acute = "\xC3\xA9";       // 2 bytes
    const std::string euro = "\xE2\x82\xAC";      // 3 bytes
    const std::string grin = "\xF0\x9F\x98\x80";  // 4 bytes
    const struct {
        std::string name;
        std::string sent;  // before encoding
    } cpu_cases[] = {
        {repeat("a", 119), repeat("a", 119)},
        {repeat("a", 120), repeat("a", 120)},
        {repeat("a", 121), repeat("a", 120)},
        {repeat("a", 119) + e_acute + "x", repeat("a", 119) + e_acute},
        {repeat("a", 120) + e_acute, repeat("a", 120)},
        {repeat(grin, 121), repeat(grin, 120)},
        {repeat("a", 118) + euro + grin + euro, repeat("a", 118) + euro + grin},
        {repeat(e_acute, 240), repeat(e_acute, 120)},  // 480 bytes, still 120 characters
    };
    for (const auto& c : cpu_cases) {
        ScanReport r;
        r.processor_name = c.name;
        EXPECT_EQ(*value_of(query_params(build_report_link(r, false)), "cpu"), percent_encode(c.sent))
            << c.name.size() << " bytes";
    }

    const struct {
        std::string name;
        std::string sent;
    } gpu_cases[] = {
        {repeat("b", 160), repeat("b", 160)},
        {repeat("b", 161), repeat("b", 160)},
        {repeat("b", 159) + euro + euro, repeat("b", 159) + euro},
        {repeat(grin, 160), repeat(grin, 160)},
        {repeat(grin, 161), repeat(grin, 160)},
    };
    for (const auto& c : gpu_cases) {
        ScanReport r;
        r.graphics_name = c.name;
        r.processor_name = c.name;  // the processor's cut is the shorter one
        const Params params = query_params(build_report_link(r, false));
        EXPECT_EQ(*value_of(params, "gpu"), percent_encode(c.sent)) << c.name.size() << " bytes";
        EXPECT_EQ(utf8_scalar_count(*percent_decode(*value_of(params, "cpu"))), 120u);
    }
}

TEST(ReportLink, MalformedBytesInANameAreSentAsReplacementCharacters)
{
    ScanReport r;
    r.processor_name = std::string(
        "A\xFF"
        "B\xC3",
        4);
    EXPECT_EQ(*value_of(query_params(build_report_link(r, false)), "cpu"), "A%EF%BF%BDB%EF%BF%BD");
}

TEST(SiteOrigin, AcceptsOnlyAnHttpsHost)
{
    const struct {
        const char* origin;
        bool ok;
    } cases[] = {
        {"https://quellix.gg", true},
        {"https://a", true},
        {"https://www.Quellix-Site.example", true},
        {"https://x1.y2.z3", true},
        {"http://quellix.gg", false},
        {"https://", false},
        {"https://quellix.gg/", false},
        {"https://quellix.gg:443", false},
        {"https://quellix.gg/path", false},
        {"https://quellix..gg", false},
        {"https://.quellix.gg", false},
        {"https://quellix.gg.", false},
        {"https://-quellix.gg", false},
        {"https://quellix-.gg", false},
        {"https://quel lix.gg", false},
        {"https://user@quellix.gg", false},
        {"https://quellix.gg?x=1", false},
        {"HTTPS://quellix.gg", false},
        {"quellix.gg", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(is_https_origin(c.origin), c.ok) << c.origin;
    EXPECT_EQ(origin_host("https://quellix.gg"), "quellix.gg");
    EXPECT_EQ(origin_host("https://a.b.c"), "a.b.c");
}

TEST(SiteOrigin, TheBuiltInOriginIsValidAndItsHostIsWhatFollowsTheScheme)
{
    EXPECT_TRUE(is_https_origin(site_origin));
    EXPECT_EQ("https://" + std::string(site_host()), std::string(site_origin));
}

// Property: over many generated reports with every kind of character in the
// names, the link is plain ASCII of the URL alphabet, starts with the origin,
// carries exactly the present fields in the fixed order, and its names decode
// to valid UTF-8 cut at the right number of characters.
namespace {

struct SplitMix64 {
    std::uint64_t state;
    std::uint64_t next()
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(next() % n); }
    bool coin() { return (next() & 1) != 0; }
};

// One piece of a generated name: a whole character, or bytes that are not valid UTF-8.
struct Piece {
    std::string bytes;
    bool valid;
};

Piece random_piece(SplitMix64& rng)
{
    switch (rng.below(14)) {
    case 0: return {std::string(1, static_cast<char>('a' + rng.below(26))), true};
    case 1: return {std::string(1, static_cast<char>('A' + rng.below(26))), true};
    case 2: return {std::string(1, static_cast<char>('0' + rng.below(10))), true};
    case 3: return {std::string(1, static_cast<char>(rng.below(32))), true};  // controls, NUL included
    case 4: {
        static const char* const punct[] = {"&", "=", "%", "+",    " ",  "?", "#", "/", ":", "-",
                                            ".", "_", "~", "\x7F", "\"", "'", "<", ">", "\\"};
        const std::string p = punct[rng.below(static_cast<std::uint32_t>(std::size(punct)))];
        return {p, true};
    }
    case 5: return {"\xC3\xA9", true};                                                 // é
    case 6: return {"\xE2\x82\xAC", true};                                             // €
    case 7: return {"\xF0\x9F\x98\x80", true};                                         // U+1F600
    case 8: return {"\xF4\x8F\xBF\xBF", true};                                         // U+10FFFF
    case 9: return {"\xE2\x80\x83", true};                                             // em space
    case 10: return {std::string(1, static_cast<char>(0x80 + rng.below(64))), false};  // stray continuation
    case 11: return {"\xC3", false};                                                   // cut-off sequence
    case 12: return {"\xED\xA0\x80", false};                                           // encoded surrogate
    default: return {rng.coin() ? "\xFF" : "\xC0\xAF", false};
    }
}

struct GeneratedName {
    std::string text;
    std::string valid_prefix;  // the whole characters before the first malformed piece
    std::size_t valid_count = 0;
    bool valid = true;
};

// Each piece is at most one character; a malformed piece may merge with the
// next one, so only the part before the first malformed piece is predictable.
GeneratedName random_name(SplitMix64& rng, std::size_t limit)
{
    GeneratedName name;
    const std::uint32_t length = rng.coin() ? rng.below(20) : rng.below(static_cast<std::uint32_t>(limit) + 40);
    const bool allow_invalid = rng.below(4) == 0;
    for (std::uint32_t i = 0; i < length; ++i) {
        Piece p = random_piece(rng);
        while (!p.valid && !allow_invalid) p = random_piece(rng);
        name.text += p.bytes;
        if (!p.valid) name.valid = false;
        if (name.valid && name.valid_count < limit) {
            name.valid_prefix += p.bytes;
            ++name.valid_count;
        }
    }
    return name;
}

TriState random_switch(SplitMix64& rng) { return static_cast<TriState>(rng.below(3)); }

template <typename T>
std::optional<T> maybe(SplitMix64& rng, T value)
{
    return rng.coin() ? std::optional<T>(value) : std::nullopt;
}

std::uint32_t random_u32(SplitMix64& rng)
{
    switch (rng.below(4)) {
    case 0: return 0;
    case 1: return 0xFFFFFFFFu;
    default: return static_cast<std::uint32_t>(rng.next());
    }
}

void check_name(const Params& params, std::string_view key, const std::optional<GeneratedName>& name, std::size_t limit)
{
    const std::string* value = value_of(params, key);
    ASSERT_EQ(value != nullptr, name.has_value()) << key;
    if (!name) return;
    const std::optional<std::string> decoded = percent_decode(*value);
    ASSERT_TRUE(decoded) << key << "=" << *value;
    const std::optional<std::size_t> count = utf8_scalar_count(*decoded);
    ASSERT_TRUE(count) << key << " is not valid UTF-8 after decoding";
    EXPECT_LE(*count, limit) << key;
    if (name->valid) {
        EXPECT_EQ(*decoded, name->valid_prefix) << key;
    } else {
        EXPECT_EQ(decoded->compare(0, name->valid_prefix.size(), name->valid_prefix), 0) << key;
    }
}

}  // namespace

TEST(ReportLinkProperty, AlwaysPlainAsciiFromTheOriginWithFieldsInOrder)
{
    SplitMix64 rng{20240614};
    const std::string_view allowed_punct = "-._~%&=?/:";
    const char* const plans[] = {"hp", "up", "bal", "ps", "oth"};
    const char* const modes[] = {"best", "eff", "bal"};
    const char* const disks[] = {"nvme", "ssd", "hdd"};
    const char* const dates[] = {"20240614", "19991231", "2024061", "2024O614", "", "202406140"};

    for (int round = 0; round < 3000; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ScanReport r;
        std::optional<GeneratedName> cpu;
        std::optional<GeneratedName> gpu;
        if (rng.coin()) cpu = random_name(rng, processor_name_limit);
        if (rng.coin()) gpu = random_name(rng, graphics_name_limit);
        if (cpu) r.processor_name = cpu->text;
        if (gpu) r.graphics_name = gpu->text;
        r.memory_gb = maybe(rng, random_u32(rng));
        r.display_size = maybe(rng, DisplaySize{random_u32(rng), random_u32(rng)});
        r.refresh_hz = maybe(rng, random_u32(rng));
        r.storage_kind = maybe<std::string_view>(rng, disks[rng.below(3)]);
        SettingsSnapshot& s = r.settings;
        s.power_plan = maybe<std::string_view>(rng, plans[rng.below(5)]);
        s.power_mode = maybe<std::string_view>(rng, modes[rng.below(3)]);
        s.game_mode = random_switch(rng);
        s.gpu_scheduling = random_switch(rng);
        s.game_capture = random_switch(rng);
        s.memory_integrity = random_switch(rng);
        s.windowed_optimizations = random_switch(rng);
        s.mouse_acceleration = random_switch(rng);
        s.max_refresh_hz = maybe(rng, random_u32(rng));
        s.free_space_gb = maybe(rng, rng.next() >> rng.below(64));
        s.on_battery = random_switch(rng);
        s.memory_rated_speed = maybe(rng, random_u32(rng));
        s.memory_configured_speed = maybe(rng, random_u32(rng));
        if (rng.coin()) s.gpu_driver_date = dates[rng.below(6)];
        s.os_build = maybe(rng, random_u32(rng));
        const bool nothing_found = rng.below(8) == 0;

        const std::string link = build_report_link(r, nothing_found);
        ASSERT_EQ(link.compare(0, site_origin.size(), site_origin), 0) << link;
        for (const char c : link) {
            const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                            allowed_punct.find(c) != std::string_view::npos;
            ASSERT_TRUE(ok) << "byte " << static_cast<int>(static_cast<unsigned char>(c)) << " in " << link;
        }
        ASSERT_TRUE(percent_decode(link)) << "a % without two upper-case hex digits: " << link;
        if (nothing_found) {
            ASSERT_EQ(link, std::string(site_origin) + "/my-rig");
            continue;
        }

        // The names that must be present, in the fixed order.
        std::vector<std::string> expected = {"src", "v"};
        const auto want = [&](bool present, const char* key) {
            if (present) expected.push_back(key);
        };
        want(cpu.has_value(), "cpu");
        want(gpu.has_value(), "gpu");
        want(r.memory_gb.has_value(), "ram");
        want(r.display_size.has_value(), "w");
        want(r.display_size.has_value(), "h");
        want(r.refresh_hz.has_value(), "hz");
        want(r.storage_kind.has_value(), "disk");
        want(s.power_plan.has_value(), "pp");
        want(s.power_mode.has_value(), "pm");
        want(s.game_mode != TriState::Absent, "gm");
        want(s.gpu_scheduling != TriState::Absent, "hags");
        want(s.game_capture != TriState::Absent, "dvr");
        want(s.memory_integrity != TriState::Absent, "vbs");
        want(s.windowed_optimizations != TriState::Absent, "wo");
        want(s.mouse_acceleration != TriState::Absent, "macc");
        want(s.max_refresh_hz.has_value(), "hzmax");
        want(s.free_space_gb.has_value(), "free");
        want(s.on_battery != TriState::Absent, "bat");
        want(s.memory_rated_speed.has_value(), "ramr");
        want(s.memory_configured_speed.has_value(), "ramc");
        want(s.gpu_driver_date && s.gpu_driver_date->size() == 8 && s.gpu_driver_date->find('O') == std::string::npos,
             "drv");
        want(s.os_build.has_value(), "os");

        const Params params = query_params(link);
        ASSERT_EQ(names_of(params), expected) << link;
        EXPECT_EQ(*value_of(params, "v"), program_version);
        check_name(params, "cpu", cpu, processor_name_limit);
        check_name(params, "gpu", gpu, graphics_name_limit);
        if (r.memory_gb) {
            EXPECT_EQ(*value_of(params, "ram"), std::to_string(*r.memory_gb));
        }
        if (r.display_size) {
            EXPECT_EQ(*value_of(params, "w"), std::to_string(r.display_size->width));
            EXPECT_EQ(*value_of(params, "h"), std::to_string(r.display_size->height));
        }
        if (s.free_space_gb) {
            EXPECT_EQ(*value_of(params, "free"), std::to_string(*s.free_space_gb));
        }
        if (s.game_mode != TriState::Absent) {
            EXPECT_EQ(*value_of(params, "gm"), s.game_mode == TriState::On ? "1" : "0");
        }
        if (s.os_build) {
            EXPECT_EQ(*value_of(params, "os"), std::to_string(*s.os_build));
        }
    }
}
