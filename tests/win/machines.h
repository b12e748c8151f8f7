// Real-looking Windows 10/11 machines for the hardware readers' tests: the
// records in tests/machines/*.txt, each what one machine's system calls
// answered and what the program should make of it (its "expect" lines). A
// record that quellix-report.exe wrote on a real PC becomes a case by being
// copied into that folder. Each reader's test answers the reader's small
// struct of system calls from the record (kit::replay_api, which answers the
// way the system does: sizes checked, real handles) and holds the reader to
// each call's contract.
//
// The folder is found through QD_SRC (the source root, which the Wine tests
// are given); QD_RECORD may name one more record file, to replay a record
// from outside the folder.
#pragma once
#include "checks/platform_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "checks/owned_win.h"
#include "checks/text.h"
#include "checks/wide_win.h"
#include "kit/field_scan_win.h"
#include "kit/machine_record.h"

namespace qd::test {

using namespace qd::checks;
using kit::MachineRecord;

struct Machine {
    std::string file;  // "hybrid-laptop-on-battery.txt"
    MachineRecord record;
    const std::string& what() const { return record.what; }
};

// A Linux path as Windows programs under Wine see it (drive Z: is /); a path
// with a drive letter is taken as it is.
inline std::wstring windows_path(std::string path)
{
    if (path.size() >= 2 && path[1] == ':') return to_wide(path);
    std::replace(path.begin(), path.end(), '/', '\\');
    return to_wide("Z:" + path);
}

inline std::optional<std::string> read_file(const std::wstring& path)
{
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return std::nullopt;
    std::string text;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), chunk, sizeof(chunk), &got, nullptr) && got > 0) text.append(chunk, got);
    return text;
}

// A record from text; a record that does not read fails the test.
inline MachineRecord record_from(std::string_view text, std::string_view where = "inline record")
{
    auto parsed = kit::parse_record(text);
    if (const auto* error = std::get_if<kit::RecordError>(&parsed)) {
        ADD_FAILURE() << where << ": " << kit::describe(*error);
        return {};
    }
    return std::get<MachineRecord>(std::move(parsed));
}

inline std::vector<Machine> load_machines()
{
    std::vector<Machine> list;
    const char* src = std::getenv("QD_SRC");
    if (src == nullptr) {
        ADD_FAILURE() << "QD_SRC is not set: run through tests/wine/session.sh";
        return list;
    }
    const std::wstring folder = windows_path(std::string(src) + "/tests/machines/");
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"*.txt").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do names.emplace_back(found.cFileName);
        while (FindNextFileW(search, &found));
        FindClose(search);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::pair<std::string, std::wstring>> files;
    for (const std::wstring& name : names) files.emplace_back(from_wide(name.c_str(), name.size()), folder + name);
    if (const char* extra = std::getenv("QD_RECORD"); extra != nullptr && *extra != 0)
        files.emplace_back(extra, windows_path(extra));
    for (const auto& [name, path] : files) {
        const std::optional<std::string> text = read_file(path);
        if (!text) {
            ADD_FAILURE() << "cannot read " << name;
            continue;
        }
        list.push_back({name, record_from(*text, name)});
    }
    return list;
}

inline const std::vector<Machine>& machines()
{
    static const std::vector<Machine> list = load_machines();
    return list;
}

// One machine of the folder by its file name.
inline const Machine& machine(std::string_view file)
{
    for (const Machine& m : machines())
        if (m.file == file) return m;
    ADD_FAILURE() << "no machine file " << file;
    static const Machine none;
    return none;
}

// What the record expects of a finding; a record without it fails the test.
inline std::string expected(const Machine& m, std::string_view key)
{
    const std::optional<std::string> value = m.record.expected(key);
    if (!value) ADD_FAILURE() << m.file << " has no 'expect " << key << "' line";
    return value.value_or("(no expect line)");
}

// A finding as an expect line writes it.
template <typename T>
std::string shown(const std::optional<T>& value)
{
    if (!value) return "absent";
    if constexpr (std::is_integral_v<T>) return decimal(*value);
    else return std::string(*value);
}
inline std::string shown(const std::optional<DisplaySize>& size)
{
    return size ? decimal(size->width) + "x" + decimal(size->height) : "absent";
}
inline std::string shown(TriState t) { return t == TriState::On ? "on" : t == TriState::Off ? "off" : "absent"; }

}  // namespace qd::test
