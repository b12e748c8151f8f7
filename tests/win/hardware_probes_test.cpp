// The hardware probes against what Wine reports, each compared with the same
// facts read here by other means, and with registry values this test writes
// into its throw-away prefix.
#include "checks/display_win.h"
#include "checks/graphics_win.h"
#include "checks/memory_win.h"
#include "checks/owned_win.h"
#include "checks/processor.h"
#include "checks/storage_win.h"
#include "checks/wide_win.h"
#include "registry_override.h"

#include <dxgi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace qd::test;

using namespace qd::checks;

namespace {

const wchar_t* const processor_key = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

std::optional<std::wstring> read_wide(HKEY root, const wchar_t* key, const wchar_t* name)
{
    std::vector<wchar_t> buffer(4096, 0);
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegGetValueW(root, key, name, RRF_RT_REG_SZ, nullptr, buffer.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer.data());
}

// Puts ProcessorNameString back as it was, whatever the test did to it.
class ProcessorNameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        original = read_wide(HKEY_LOCAL_MACHINE, processor_key, L"ProcessorNameString");
        ASSERT_TRUE(original) << "Wine always fills ProcessorNameString";
    }
    void set_name(const std::wstring& name) { stored_name.set_text(name); }

    ValueOverride stored_name{HKEY_LOCAL_MACHINE, processor_key, L"ProcessorNameString"};
    std::optional<std::wstring> original;
};

std::vector<AdapterInfo> dxgi_adapters()
{
    std::vector<AdapterInfo> adapters;
    ComPtr<IDXGIFactory1> factory;
    if (FAILED(CreateDXGIFactory1(IID_IDXGIFactory1, reinterpret_cast<void**>(factory.put())))) return adapters;
    ComPtr<IDXGIAdapter1> adapter;
    for (UINT i = 0; SUCCEEDED(factory.get()->EnumAdapters1(i, adapter.put())); ++i) {
        DXGI_ADAPTER_DESC1 desc = {};
        if (SUCCEEDED(adapter.get()->GetDesc1(&desc)))
            adapters.push_back({from_wide(desc.Description, 128), desc.DedicatedVideoMemory, desc.VendorId,
                                (desc.Flags & DXGI_ADAPTER_FLAG_SOFTWARE) != 0});
    }
    return adapters;
}

// Display-class driver entries written by the test, removed again afterwards.
class DriverDateTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (const std::wstring& key : added) RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
    }
    static std::wstring subkey(unsigned index) { return to_wide(display_class_subkey(index)); }
    static bool exists(unsigned index)
    {
        UniqueRegKey key;
        return RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey(index).c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
    }
    // The next subkey number not taken by Wine's own entries or ours.
    unsigned add_entry(const std::wstring& desc, const std::wstring& date)
    {
        while (next < max_display_class_subkeys && exists(next)) ++next;
        EXPECT_LT(next, max_display_class_subkeys);
        const unsigned index = next++;
        added.push_back(subkey(index));
        write_registry_text(HKEY_LOCAL_MACHINE, subkey(index), L"DriverDesc", desc);
        write_registry_text(HKEY_LOCAL_MACHINE, subkey(index), L"DriverDate", date);
        return index;
    }

    std::vector<std::wstring> added;
    unsigned next = 0;
};

// The drive answers read with the platform's own structures rather than byte offsets.
std::vector<DriveInfo> drives_read_with_platform_structures()
{
    std::vector<DriveInfo> drives;
    for (unsigned n = 0; n < 16; ++n) {
        const std::wstring path = L"\\\\.\\PhysicalDrive" + std::to_wstring(n);
        const HANDLE raw =
            CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (raw == INVALID_HANDLE_VALUE) continue;
        const UniqueFile drive(raw);
        STORAGE_PROPERTY_QUERY query = {};
        query.PropertyId = StorageDeviceProperty;
        query.QueryType = PropertyStandardQuery;
        STORAGE_DEVICE_DESCRIPTOR descriptor = {};
        DWORD returned = 0;
        if (!DeviceIoControl(drive.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), &descriptor,
                             sizeof(descriptor), &returned, nullptr) ||
            returned < 8)
            continue;
        DriveInfo info{static_cast<std::uint32_t>(descriptor.BusType), seek_penalty_unknown};
        query.PropertyId = StorageDeviceSeekPenaltyProperty;
        DEVICE_SEEK_PENALTY_DESCRIPTOR penalty = {};
        if (DeviceIoControl(drive.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), &penalty, sizeof(penalty),
                            &returned, nullptr) &&
            returned >= 9)
            info.seek_penalty = penalty.IncursSeekPenalty;
        drives.push_back(info);
    }
    return drives;
}

}  // namespace

TEST_F(ProcessorNameTest, ReadsTheFirstProcessorsName)
{
    EXPECT_EQ(probe_processor().value, processor_name_from(from_wide(original->c_str(), original->size())));
    EXPECT_TRUE(probe_processor().value);
}

TEST_F(ProcessorNameTest, CleansUpWhatIsStored)
{
    set_name(L"  Acme   CPU  ");
    EXPECT_EQ(probe_processor().value, "Acme CPU");
    set_name(L"\tAcme\u00a0Core\u2003i9 ");
    EXPECT_EQ(probe_processor().value, "Acme Core i9");
    set_name(L"   ");
    EXPECT_EQ(probe_processor().value, std::nullopt);
    set_name(L"");
    EXPECT_EQ(probe_processor().value, std::nullopt);
}

TEST_F(ProcessorNameTest, NamesOf256UnitsOrMoreDoNotFit)
{
    set_name(std::wstring(255, L'x'));
    EXPECT_EQ(probe_processor().value, std::string(255, 'x'));
    set_name(std::wstring(256, L'x'));
    EXPECT_EQ(probe_processor().value, std::nullopt);
}

TEST(MemoryProbe, SizeIsTheNearestWholeGib)
{
    ULONGLONG kib = 0;
    ASSERT_TRUE(GetPhysicallyInstalledSystemMemory(&kib));
    const ULONGLONG expected = (kib + 512 * 1024) / (1024 * 1024);
    ASSERT_GE(expected, 1u);
    EXPECT_EQ(probe_memory_size().value, static_cast<std::uint32_t>(expected));

    // The fallback's figure rounds to within a GiB of the installed one.
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    const auto usable = memory_gb_from_kib(status.ullTotalPhys >> 10);
    ASSERT_TRUE(usable);
    EXPECT_LE(*usable, expected);
    EXPECT_GE(*usable + 1, expected);
}

TEST(MemoryProbe, SpeedsComeFromTheFirmwareTable)
{
    const UINT size = GetSystemFirmwareTable(smbios_provider, 0, nullptr, 0);
    ASSERT_GT(size, 8u);
    std::vector<std::uint8_t> raw(size);
    ASSERT_EQ(GetSystemFirmwareTable(smbios_provider, 0, raw.data(), size), size);
    const MemorySpeeds expected = memory_speeds_from_smbios(raw, size);
    const MemorySpeeds got = probe_memory_speeds().value.value_or(MemorySpeeds{});
    EXPECT_EQ(got.rated, expected.rated);
    EXPECT_EQ(got.configured, expected.configured);
}

TEST(GraphicsProbe, NamesTheAdapterDxgiReports)
{
    const std::vector<AdapterInfo> adapters = dxgi_adapters();
    ASSERT_FALSE(adapters.empty());
    const std::optional<std::string> name = probe_graphics().value;
    EXPECT_EQ(name, select_graphics_name(adapters));
    // Wine offers one hardware adapter; it is the one reported.
    ASSERT_TRUE(name);
    EXPECT_EQ(*name, collapse_whitespace(adapters[0].description));
    EXPECT_FALSE(name->empty());
}

TEST_F(DriverDateTest, FindsTheEntryWhoseDescriptionNamesTheAdapter)
{
    const std::optional<std::string> name = probe_graphics().value;
    ASSERT_TRUE(name);
    ASSERT_EQ(probe_driver_date(name).value, std::nullopt) << "no entry of Wine's own names " << *name;

    // Same name with ASCII letters in the other case and extra blanks.
    std::wstring variant = L"  ";
    for (const wchar_t c : to_wide(*name)) {
        variant += (c >= L'a' && c <= L'z')   ? static_cast<wchar_t>(c - 32)
                   : (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32)
                                              : c;
        if (c == L' ') variant += L' ';
    }
    const unsigned decoy = add_entry(L"Acme Decoy Adapter", L"1-2-2003");
    const unsigned match = add_entry(variant, L"6-14-2024");
    ASSERT_LT(decoy, match);
    EXPECT_EQ(probe_driver_date(name).value, "20240614");

    // A later entry with a good date does not rescue a malformed one.
    add_entry(to_wide(*name), L"1-1-2025");
    for (const wchar_t* malformed : {L"2024-06-14", L"6-14", L"13-1-2024", L"2-30-2024", L""}) {
        write_registry_text(HKEY_LOCAL_MACHINE, to_wide(display_class_subkey(match)), L"DriverDate", malformed);
        EXPECT_EQ(probe_driver_date(name).value, std::nullopt) << from_wide(malformed, 64);
    }
    EXPECT_EQ(probe_driver_date(std::nullopt).value, std::nullopt);
}

TEST(DisplayProbe, ReportsTheScreen)
{
    const DisplayProbe probe = probe_display();
    ASSERT_FALSE(probe.displays.empty());
    ASSERT_LE(probe.displays.size(), max_display_devices);
    for (const DisplayInfo& display : probe.displays) {
        EXPECT_FALSE(display.modes.empty());
        EXPECT_LE(display.modes.size(), max_display_modes);
    }
    const DisplaySize screen{static_cast<std::uint32_t>(GetSystemMetrics(SM_CXSCREEN)),
                             static_cast<std::uint32_t>(GetSystemMetrics(SM_CYSCREEN))};
    EXPECT_EQ(probe.display_size, screen);

    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    ASSERT_TRUE(EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode));
    const std::optional<std::uint32_t> rate = is_valid_refresh(mode.dmDisplayFrequency)
                                                  ? std::optional<std::uint32_t>(mode.dmDisplayFrequency)
                                                  : std::nullopt;
    EXPECT_EQ(probe.refresh_hz, rate) << "Xvfb reports " << mode.dmDisplayFrequency << " Hz";
}

TEST(StorageProbe, ClassifiesWhatTheDrivesAnswer)
{
    const std::vector<DriveInfo> drives = drives_read_with_platform_structures();
    EXPECT_FALSE(drives.empty()) << "Wine's PhysicalDrive0 answers the device query";
    EXPECT_EQ(probe_storage().value, classify_storage(drives));
}

TEST(StorageProbe, QueryBytesMatchThePlatformStructure)
{
    for (const std::uint32_t property : {storage_device_property, storage_seek_penalty_property}) {
        STORAGE_PROPERTY_QUERY query;
        std::memset(&query, 0, sizeof(query));
        query.PropertyId = static_cast<STORAGE_PROPERTY_ID>(property);
        query.QueryType = PropertyStandardQuery;
        const StoragePropertyQuery bytes = storage_property_query(property);
        EXPECT_EQ(std::memcmp(&query, bytes.data(), bytes.size()), 0) << property;
    }
}
