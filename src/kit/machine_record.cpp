#include "kit/machine_record.h"

#include <algorithm>
#include <array>

#include "checks/bytes.h"
#include "checks/text.h"

namespace qd::kit {

using checks::decimal;

namespace {

constexpr std::string_view record_tag = "quellix-record";

// ---- Escaping ---------------------------------------------------------------

char hex_digit(unsigned v) { return "0123456789ABCDEF"[v & 0xF]; }

std::string escape(std::string_view text, bool blanks)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool last_blank = c == ' ' && i + 1 == text.size();
        if (c < 0x20 || c == 0x7F || c == '%' || (c == ' ' && (blanks || last_blank))) {
            out += '%';
            out += hex_digit(c >> 4);
            out += hex_digit(c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::optional<unsigned> hex_value(char c)
{
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    return std::nullopt;
}

std::string hex(std::uint64_t value)
{
    std::string digits;
    do {
        digits.insert(digits.begin(), "0123456789abcdef"[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return "0x" + std::string(digits.begin(), digits.end());
}

std::string hex_fixed(std::uint64_t value, int digits)
{
    std::string out(static_cast<std::size_t>(digits), '0');
    for (int i = digits; i-- > 0; value >>= 4) out[static_cast<std::size_t>(i)] = "0123456789abcdef"[value & 0xF];
    return out;
}

// ---- Reading one line -------------------------------------------------------

// A line that cannot be read; parse_record turns it into a RecordError.
struct LineError {
    std::string message;
};

[[noreturn]] void fail(std::string message) { throw LineError{std::move(message)}; }

// Decimal, or hexadecimal after "0x".
std::uint64_t number(std::string_view text, std::uint64_t max = UINT64_MAX)
{
    const bool is_hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const unsigned base = is_hex ? 16 : 10;
    if (is_hex) text.remove_prefix(2);
    if (text.empty() || text.size() > 20) fail("not a number: '" + std::string(text) + "'");
    std::uint64_t value = 0;
    for (const char c : text) {
        const std::optional<unsigned> digit = hex_value(c);
        if (!digit || *digit >= base) fail("not a number: '" + std::string(text) + "'");
        if (value > (max - *digit) / base) fail("number too large: '" + std::string(text) + "'");
        value = value * base + *digit;
    }
    return value;
}

std::uint32_t number32(std::string_view text) { return static_cast<std::uint32_t>(number(text, UINT32_MAX)); }
std::uint8_t number8(std::string_view text) { return static_cast<std::uint8_t>(number(text, 0xFF)); }

std::string unescaped(std::string_view text)
{
    std::optional<std::string> out = unescape(text);
    if (!out) fail("bad %-escape in '" + std::string(text) + "'");
    return *out;
}

// The fields of one line after its section: positional tokens, then
// key=value fields; a text field's value runs to the end of the line.
class Fields {
public:
    explicit Fields(std::string_view rest) : rest_(rest) {}

    bool done()
    {
        skip_blanks();
        return rest_.empty();
    }
    std::string_view token()
    {
        skip_blanks();
        if (rest_.empty()) fail("a field is missing");
        const std::size_t end = std::min(rest_.find(' '), rest_.size());
        const std::string_view t = rest_.substr(0, end);
        rest_.remove_prefix(end);
        return t;
    }
    // The next key=value; a key in `text_keys` takes the rest of the line.
    std::pair<std::string_view, std::string_view> field(std::initializer_list<std::string_view> text_keys = {})
    {
        skip_blanks();
        const std::size_t eq = rest_.find('=');
        if (eq == std::string_view::npos || eq == 0) fail("expected key=value, got '" + std::string(rest_) + "'");
        const std::string_view key = rest_.substr(0, eq);
        if (key.find(' ') != std::string_view::npos) fail("expected key=value, got '" + std::string(key) + "'");
        if (std::find(text_keys.begin(), text_keys.end(), key) != text_keys.end()) {
            const std::string_view value = rest_.substr(eq + 1);
            rest_ = {};
            return {key, value};
        }
        rest_.remove_prefix(eq + 1);
        return {key, token_or_empty()};
    }
    std::string_view text()
    {
        if (!rest_.empty() && rest_.front() == ' ') rest_.remove_prefix(1);
        const std::string_view t = rest_;
        rest_ = {};
        return t;
    }

private:
    void skip_blanks()
    {
        while (!rest_.empty() && rest_.front() == ' ') rest_.remove_prefix(1);
    }
    std::string_view token_or_empty()
    {
        const std::size_t end = std::min(rest_.find(' '), rest_.size());
        const std::string_view t = rest_.substr(0, end);
        rest_.remove_prefix(end);
        return t;
    }
    std::string_view rest_;
};

[[noreturn]] void unknown(std::string_view what, std::string_view key)
{
    fail("unknown " + std::string(what) + " '" + std::string(key) + "'");
}

checks::Guid parse_guid(std::string_view text)
{
    // 8-4-4-4-12 hexadecimal digits.
    static constexpr std::array<std::size_t, 5> groups = {8, 4, 4, 4, 12};
    std::string digits;
    std::size_t at = 0;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (g > 0) {
            if (at >= text.size() || text[at] != '-') fail("not a GUID: '" + std::string(text) + "'");
            ++at;
        }
        for (std::size_t i = 0; i < groups[g]; ++i, ++at)
            if (at >= text.size() || !hex_value(text[at])) fail("not a GUID: '" + std::string(text) + "'");
    }
    if (at != text.size()) fail("not a GUID: '" + std::string(text) + "'");
    const auto part = [&](std::size_t from, std::size_t n) { return number("0x" + std::string(text.substr(from, n))); };
    checks::Guid guid;
    guid.data1 = static_cast<std::uint32_t>(part(0, 8));
    guid.data2 = static_cast<std::uint16_t>(part(9, 4));
    guid.data3 = static_cast<std::uint16_t>(part(14, 4));
    for (std::size_t i = 0; i < 2; ++i) guid.data4[i] = static_cast<std::uint8_t>(part(19 + 2 * i, 2));
    for (std::size_t i = 0; i < 6; ++i) guid.data4[2 + i] = static_cast<std::uint8_t>(part(24 + 2 * i, 2));
    return guid;
}

// "2560x1440@144"
checks::DisplayMode parse_mode(std::string_view text)
{
    const std::size_t x = text.find('x');
    const std::size_t at = text.find('@');
    if (x == std::string_view::npos || at == std::string_view::npos || at < x)
        fail("not a mode WxH@Hz: '" + std::string(text) + "'");
    return {number32(text.substr(0, x)), number32(text.substr(x + 1, at - x - 1)), number32(text.substr(at + 1))};
}

RegistryRootName parse_root(std::string_view text)
{
    if (text == "HKLM") return RegistryRootName::LocalMachine;
    if (text == "HKCU") return RegistryRootName::CurrentUser;
    fail("unknown registry root '" + std::string(text) + "'");
}

void parse_adapter(MachineRecord& r, Fields& f)
{
    RecordedAdapter a;
    a.index = number32(f.token());
    while (!f.done()) {
        const auto [key, value] = f.field({"desc"});
        if (key == "enum-error") a.enum_error = number32(value);
        else if (key == "desc-error") a.desc_error = number32(value);
        else if (key == "vendor") a.vendor = number32(value);
        else if (key == "device") a.device = number32(value);
        else if (key == "dedicated") a.dedicated = number(value);
        else if (key == "dedicated-system") a.dedicated_system = number(value);
        else if (key == "shared") a.shared = number(value);
        else if (key == "flags") a.flags = number32(value);
        else if (key == "desc") a.description = unescaped(value);
        else unknown("adapter field", key);
    }
    r.adapters.push_back(std::move(a));
}

void parse_mode_line(MachineRecord& r, Fields& f)
{
    RecordedMode m;
    const std::string_view device = f.token();
    if (device != "-") m.device = unescaped(device);
    const std::string_view index = f.token();
    if (index != "current") m.index = number32(index);
    const std::string_view mode = f.token();
    if (mode != "fails") m.mode = parse_mode(mode);
    if (!f.done()) fail("more than a mode on the line");
    r.modes.push_back(std::move(m));
}

void parse_drive(MachineRecord& r, Fields& f)
{
    RecordedDrive d;
    d.number = number32(f.token());
    while (!f.done()) {
        const auto [key, value] = f.field();
        if (key == "open-error") d.open_error = number32(value);
        else if (key == "device-error") d.device_error = number32(value);
        else if (key == "device-bytes") d.device_bytes = number32(value);
        else if (key == "bus") d.bus = number32(value);
        else if (key == "seek-error") d.seek_error = number32(value);
        else if (key == "seek-bytes") d.seek_bytes = number32(value);
        else if (key == "penalty") d.penalty = number8(value);
        else unknown("drive field", key);
    }
    r.drives.push_back(d);
}

void parse_memory(MachineRecord& r, Fields& f)
{
    while (!f.done()) {
        const auto [key, value] = f.field();
        if (key == "installed-kib") r.installed_kib = number(value);
        else if (key == "total-phys") r.total_phys = number(value);
        else if (key == "available-phys") r.available_phys = number(value);
        else unknown("memory field", key);
    }
}

void parse_smbios(MachineRecord& r, Fields& f)
{
    const std::string_view what = f.token();
    if (what == "table") {
        r.smbios.present = true;
        while (!f.done()) {
            const auto [key, value] = f.field();
            if (key == "size") r.smbios.size = number32(value);
            else if (key == "got") r.smbios.got = number32(value);
            else if (key == "version") {
                const std::size_t dot = value.find('.');
                if (dot == std::string_view::npos) fail("version is major.minor");
                r.smbios.major = number8(value.substr(0, dot));
                r.smbios.minor = number8(value.substr(dot + 1));
            } else if (key == "end") {
                if (value == "end-of-table") r.smbios.end = SmbiosEnd::EndOfTable;
                else if (value == "table-end") r.smbios.end = SmbiosEnd::TableEnd;
                else if (value == "bad-length") r.smbios.end = SmbiosEnd::BadLength;
                else unknown("smbios end", value);
            } else unknown("smbios table field", key);
        }
    } else if (what == "memory-device") {
        RecordedMemoryDevice d;
        while (!f.done()) {
            const auto [key, value] = f.field();
            if (key == "length") d.length = number8(value);
            else if (key == "size") d.size = number32(value);
            else if (key == "speed") d.speed = number32(value);
            else if (key == "configured") d.configured = number32(value);
            else if (key == "extended-speed") d.extended_speed = number32(value);
            else if (key == "extended-configured") d.extended_configured = number32(value);
            else unknown("memory-device field", key);
        }
        if (d.length < 4) fail("a memory device of length below 4");
        r.smbios.devices.push_back(d);
    } else {
        unknown("smbios line", what);
    }
}

void parse_power(MachineRecord& r, Fields& f)
{
    while (!f.done()) {
        const auto [key, value] = f.field();
        if (key == "scheme") r.scheme = parse_guid(value);
        else if (key == "scheme-error") r.scheme_error = number32(value);
        else {
            if (!r.power) r.power = RecordedPowerStatus{};
            if (key == "ac-line") r.power->ac_line = number8(value);
            else if (key == "battery-flag") r.power->battery_flag = number8(value);
            else if (key == "battery-percent") r.power->battery_percent = number8(value);
            else unknown("power field", key);
        }
    }
}

void parse_registry(MachineRecord& r, Fields& f)
{
    RecordedValue v;
    v.root = parse_root(f.token());
    v.subkey = unescaped(f.token());
    v.name = unescaped(f.token());
    const auto [key, value] = f.field({"text"});
    if (key == "text") v.text = unescaped(value);
    else if (key == "dword") v.dword = number32(value);
    else unknown("registry field", key);
    if (!f.done()) fail("more than one value on a registry line");
    r.registry.push_back(std::move(v));
}

void parse_windows(MachineRecord& r, Fields& f)
{
    while (!f.done()) {
        const auto [key, value] = f.field({"directory"});
        if (key == "directory") r.windows_directory = unescaped(value);
        else if (key == "free-bytes") r.free_bytes = number(value);
        else if (key == "build") r.os_build = number32(value);
        else if (key == "version-status") r.os_status = static_cast<std::int32_t>(number32(value));
        else unknown("windows field", key);
    }
}

void parse_line(MachineRecord& r, std::string_view line)
{
    Fields f(line);
    const std::string_view section = f.token();
    if (section == "what") {
        r.what = unescaped(f.text());
    } else if (section == "expect" || section == "time" || section == "reason") {
        const std::string key(f.token());
        std::pair<std::string, std::string> fact{key, unescaped(f.text())};
        (section == "expect" ? r.expect : section == "time" ? r.times : r.reasons).push_back(std::move(fact));
    } else if (section == "link") {
        r.link = std::string(f.text());  // a URL, written as it is
    } else if (section == "dxgi") {
        const auto [key, value] = f.field();
        if (key != "factory-error") unknown("dxgi field", key);
        r.dxgi_error = number32(value);
    } else if (section == "adapter") {
        parse_adapter(r, f);
    } else if (section == "display-device") {
        // The name runs to the end of the line.
        RecordedDisplayDevice d;
        d.index = number32(f.token());
        while (!f.done()) {
            const auto [key, value] = f.field({"name"});
            if (key == "fails") {
                if (value != "yes") fail("fails=yes or nothing");
                d.fails = true;
            }
            else if (key == "flags") d.flags = number32(value);
            else if (key == "name") d.name = unescaped(value);
            else unknown("display-device field", key);
        }
        r.display_devices.push_back(std::move(d));
    } else if (section == "mode") {
        parse_mode_line(r, f);
    } else if (section == "drive") {
        parse_drive(r, f);
    } else if (section == "memory") {
        parse_memory(r, f);
    } else if (section == "smbios") {
        parse_smbios(r, f);
    } else if (section == "power") {
        parse_power(r, f);
    } else if (section == "registry") {
        parse_registry(r, f);
    } else if (section == "windows") {
        parse_windows(r, f);
    } else {
        unknown("section", section);
    }
}

// ---- Writing ----------------------------------------------------------------

std::string root_text(RegistryRootName root) { return root == RegistryRootName::LocalMachine ? "HKLM" : "HKCU"; }

std::string mode_text(const checks::DisplayMode& m)
{
    return decimal(m.width) + "x" + decimal(m.height) + "@" + decimal(m.rate_hz);
}

std::string tri(checks::TriState t)
{
    return t == checks::TriState::On ? "on" : t == checks::TriState::Off ? "off" : "absent";
}

template <typename T>
std::string or_absent(const std::optional<T>& value)
{
    if (!value) return "absent";
    if constexpr (std::is_integral_v<T>) return decimal(*value);
    else return std::string(*value);
}

}  // namespace

std::string escape_text(std::string_view text) { return escape(text, false); }
std::string escape_token(std::string_view text) { return text.empty() ? "%00" : escape(text, true); }

std::optional<std::string> unescape(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const std::optional<unsigned> high = hex_value(text[i + 1]);
        const std::optional<unsigned> low = hex_value(text[i + 2]);
        if (!high || !low) return std::nullopt;
        const auto c = static_cast<char>(*high * 16 + *low);
        if (c != 0) out += c;  // %00 is the empty token
        i += 2;
    }
    return out;
}

std::optional<std::string> MachineRecord::expected(std::string_view key) const
{
    for (const auto& [k, v] : expect)
        if (k == key) return v;
    return std::nullopt;
}

const RecordedValue* MachineRecord::value(RegistryRootName root, std::string_view subkey, std::string_view name) const
{
    for (const RecordedValue& v : registry)
        if (v.root == root && checks::ascii_iequals(v.subkey, subkey) && checks::ascii_iequals(v.name, name)) return &v;
    return nullptr;
}

std::variant<MachineRecord, RecordError> parse_record(std::string_view text)
{
    MachineRecord record;
    bool tagged = false;
    std::size_t number_of_line = 0;
    while (!text.empty()) {
        ++number_of_line;
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t first = line.find_first_not_of(' ');
        if (first == std::string_view::npos || line[first] == '#') continue;
        try {
            if (!tagged) {
                Fields f(line);
                if (f.token() != record_tag) fail("a record starts with '" + std::string(record_tag) + " 1'");
                if (number(f.token()) != static_cast<std::uint64_t>(record_format_version))
                    fail("a record of another format version");
                if (!f.done()) fail("more than the format version");
                tagged = true;
                continue;
            }
            parse_line(record, line);
        } catch (const LineError& e) {
            return RecordError{number_of_line, e.message};
        }
    }
    if (!tagged) return RecordError{0, "no '" + std::string(record_tag) + " 1' line: not a machine record"};
    return record;
}

std::string describe(const RecordError& error)
{
    if (error.line == 0) return error.message;
    return "line " + decimal(error.line) + ": " + error.message;
}

std::string fact_line(std::string_view section, std::string_view key, std::string_view value)
{
    return std::string(section) + " " + std::string(key) + " " + escape_text(value) + "\n";
}

std::string write_raw_sections(const MachineRecord& r)
{
    std::string out;
    out += "# DXGI: each adapter index the reader asked for.\n";
    if (r.dxgi_error != 0) out += "dxgi factory-error=" + hex(r.dxgi_error) + "\n";
    for (const RecordedAdapter& a : r.adapters) {
        out += "adapter " + decimal(a.index);
        if (a.enum_error != 0) out += " enum-error=" + hex(a.enum_error);
        else if (a.desc_error != 0) out += " desc-error=" + hex(a.desc_error);
        else
            out += " vendor=" + hex(a.vendor) + " device=" + hex(a.device) + " dedicated=" + decimal(a.dedicated) +
                   " dedicated-system=" + decimal(a.dedicated_system) + " shared=" + decimal(a.shared) +
                   " flags=" + hex(a.flags) + " desc=" + escape_text(a.description);
        out += "\n";
    }
    out += "# Displays: EnumDisplayDevicesW by index, EnumDisplaySettingsW by device and mode.\n";
    for (const RecordedDisplayDevice& d : r.display_devices) {
        out += "display-device " + decimal(d.index);
        if (d.fails) out += " fails=yes";
        else out += " flags=" + hex(d.flags) + " name=" + escape_text(d.name);
        out += "\n";
    }
    for (const RecordedMode& m : r.modes)
        out += "mode " + (m.device ? escape_token(*m.device) : std::string("-")) + " " +
               (m.index ? decimal(*m.index) : std::string("current")) + " " + (m.mode ? mode_text(*m.mode) : "fails") +
               "\n";
    out += "# Drives: PhysicalDriveN opened, then asked for its bus type and its seek penalty.\n";
    for (const RecordedDrive& d : r.drives) {
        out += "drive " + decimal(d.number);
        if (d.open_error != 0) out += " open-error=" + decimal(d.open_error);
        else if (d.device_error != 0) out += " device-error=" + decimal(d.device_error);
        else {
            out += " device-bytes=" + decimal(d.device_bytes) + " bus=" + decimal(d.bus);
            if (d.seek_error != 0) out += " seek-error=" + decimal(d.seek_error);
            else out += " seek-bytes=" + decimal(d.seek_bytes) + " penalty=" + decimal(d.penalty);
        }
        out += "\n";
    }
    out += "# Memory: installed KiB, what the system can use, and the SMBIOS memory devices' speed fields.\n";
    if (r.installed_kib) out += "memory installed-kib=" + decimal(*r.installed_kib) + "\n";
    if (r.total_phys)
        out += "memory total-phys=" + decimal(*r.total_phys) + " available-phys=" + decimal(r.available_phys) + "\n";
    const RecordedSmbios& s = r.smbios;
    if (s.present) {
        static constexpr std::array<std::string_view, 3> ends = {"end-of-table", "table-end", "bad-length"};
        out += "smbios table";
        if (s.size) out += " size=" + decimal(*s.size);
        if (s.got) out += " got=" + decimal(*s.got);
        out += " version=" + decimal(s.major) + "." + decimal(s.minor) +
               " end=" + std::string(ends[static_cast<std::size_t>(s.end)]) + "\n";
        for (const RecordedMemoryDevice& d : s.devices)
            out += "smbios memory-device length=" + hex(d.length) + " size=" + hex(d.size) + " speed=" +
                   decimal(d.speed) + " configured=" + decimal(d.configured) +
                   " extended-speed=" + decimal(d.extended_speed) +
                   " extended-configured=" + decimal(d.extended_configured) + "\n";
    }
    out += "# Power: the active scheme and the power status.\n";
    if (r.scheme) {
        const checks::Guid& g = *r.scheme;
        std::string text = hex_fixed(g.data1, 8) + "-" + hex_fixed(g.data2, 4) + "-" + hex_fixed(g.data3, 4) + "-" +
                           hex_fixed(g.data4[0], 2) + hex_fixed(g.data4[1], 2) + "-";
        for (std::size_t i = 2; i < 8; ++i) text += hex_fixed(g.data4[i], 2);
        out += "power scheme=" + text + "\n";
    } else if (r.scheme_error != 0) {
        out += "power scheme-error=" + decimal(r.scheme_error) + "\n";
    }
    if (r.power)
        out += "power ac-line=" + decimal(r.power->ac_line) + " battery-flag=" + decimal(r.power->battery_flag) +
               " battery-percent=" + decimal(r.power->battery_percent) + "\n";
    out += "# Registry values the readers found (one not listed was missing).\n";
    for (const RecordedValue& v : r.registry) {
        out += "registry " + root_text(v.root) + " " + escape_token(v.subkey) + " " + escape_token(v.name);
        if (v.text) out += " text=" + escape_text(*v.text);
        else out += " dword=" + decimal(v.dword.value_or(0));
        out += "\n";
    }
    out += "# Windows: the drive of the Windows folder, its free space, the build.\n";
    if (r.windows_directory) out += "windows directory=" + escape_text(*r.windows_directory) + "\n";
    if (r.free_bytes) out += "windows free-bytes=" + decimal(*r.free_bytes) + "\n";
    if (r.os_build)
        out += "windows build=" + decimal(*r.os_build) + " version-status=" +
               decimal(static_cast<std::uint32_t>(r.os_status)) + "\n";
    return out;
}

std::vector<std::pair<std::string, std::string>> report_expectations(const checks::ScanReport& report)
{
    const checks::SettingsSnapshot& s = report.settings;
    const std::string size =
        report.display_size ? decimal(report.display_size->width) + "x" + decimal(report.display_size->height)
                            : std::string("absent");
    return {
        {"processor", or_absent(report.processor_name)},
        {"graphics", or_absent(report.graphics_name)},
        {"memory-gb", or_absent(report.memory_gb)},
        {"display-size", size},
        {"refresh-hz", or_absent(report.refresh_hz)},
        {"storage", or_absent(report.storage_kind)},
        {"memory-rated-speed", or_absent(s.memory_rated_speed)},
        {"memory-configured-speed", or_absent(s.memory_configured_speed)},
        {"power-plan", or_absent(s.power_plan)},
        {"power-mode", or_absent(s.power_mode)},
        {"game-mode", tri(s.game_mode)},
        {"gpu-scheduling", tri(s.gpu_scheduling)},
        {"game-capture", tri(s.game_capture)},
        {"memory-integrity", tri(s.memory_integrity)},
        {"windowed-optimizations", tri(s.windowed_optimizations)},
        {"mouse-acceleration", tri(s.mouse_acceleration)},
        {"max-refresh-hz", or_absent(s.max_refresh_hz)},
        {"free-space-gb", or_absent(s.free_space_gb)},
        {"on-battery", tri(s.on_battery)},
        {"gpu-driver-date", or_absent(s.gpu_driver_date)},
        {"os-build", or_absent(s.os_build)},
    };
}

// ---- SMBIOS -------------------------------------------------------------------

RecordedSmbios smbios_memory_devices(const std::vector<std::uint8_t>& buffer, std::uint32_t size, std::uint32_t got)
{
    RecordedSmbios s;
    s.present = true;
    s.size = size;
    s.got = got;
    if (got < 8 || got > buffer.size()) return s;
    s.major = buffer[1];
    s.minor = buffer[2];
    const std::uint64_t declared = checks::read_le(buffer, 4, 4);
    const std::size_t table_end = static_cast<std::size_t>(std::min<std::uint64_t>(got, declared + 8));
    const std::span<const std::uint8_t> table(buffer.data() + 8, table_end - 8);
    std::size_t p = 0;
    s.end = SmbiosEnd::TableEnd;
    while (p + 4 <= table.size()) {
        const std::size_t length = table[p + 1];
        if (length < 4 || p + length > table.size()) {
            s.end = SmbiosEnd::BadLength;
            break;
        }
        if (table[p] == 127) {
            s.end = SmbiosEnd::EndOfTable;
            break;
        }
        if (table[p] == 17) {
            RecordedMemoryDevice d;
            d.length = static_cast<std::uint32_t>(length);
            const auto field = [&](std::size_t offset, std::size_t width) -> std::uint32_t {
                return offset + width <= length ? checks::read_le(table, p + offset, width) : 0;
            };
            d.size = field(0x0C, 2);
            d.speed = field(0x15, 2);
            d.configured = field(0x20, 2);
            d.extended_speed = field(0x54, 4);
            d.extended_configured = field(0x58, 4);
            s.devices.push_back(d);
        }
        std::size_t q = p + length;
        while (q + 1 < table.size() && !(table[q] == 0 && table[q + 1] == 0)) ++q;
        p = q + 2;
    }
    return s;
}

std::vector<std::uint8_t> smbios_table(const RecordedSmbios& s)
{
    std::vector<std::uint8_t> table;
    const auto structure = [&](std::uint8_t type, std::size_t length) {
        const std::size_t at = table.size();
        table.resize(at + length + 2, 0);  // formatted part, then an empty string set
        table[at] = type;
        table[at + 1] = static_cast<std::uint8_t>(length);
        return at;
    };
    for (const RecordedMemoryDevice& d : s.devices) {
        const std::size_t at = structure(17, d.length);
        const auto set = [&](std::size_t offset, std::uint32_t value, std::size_t width) {
            if (offset + width <= d.length) checks::write_le(table, at + offset, value, width);
        };
        set(0x0C, d.size, 2);
        set(0x15, d.speed, 2);
        set(0x20, d.configured, 2);
        set(0x54, d.extended_speed, 4);
        set(0x58, d.extended_configured, 4);
    }
    if (s.end == SmbiosEnd::EndOfTable) structure(127, 4);
    if (s.end == SmbiosEnd::BadLength) structure(1, 2);
    std::vector<std::uint8_t> raw = {0, s.major, s.minor, 0, 0, 0, 0, 0};
    checks::write_le(raw, 4, static_cast<std::uint32_t>(table.size()), 4);
    raw.insert(raw.end(), table.begin(), table.end());
    return raw;
}

}  // namespace qd::kit
