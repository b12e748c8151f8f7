#include "checks/graphics.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

using namespace qd::checks;

namespace {

constexpr std::uint64_t mib = 1024 * 1024;
constexpr std::uint64_t gib = 1024 * mib;

AdapterInfo adapter(std::string description, std::uint64_t memory, std::uint32_t vendor = 0x10DE, bool software = false)
{
    return AdapterInfo{std::move(description), memory, vendor, software};
}

// A fake display class: subkey number -> value name -> text.
struct FakeClass {
    std::map<unsigned, std::map<std::string, std::string>> subkeys;
    mutable std::vector<std::string> reads;

    RegistryTextReader reader() const
    {
        return {const_cast<FakeClass*>(this),
                [](void* context, const std::string& key, std::string_view value) -> std::optional<std::string> {
                    const FakeClass& self = *static_cast<const FakeClass*>(context);
                    self.reads.push_back(key + ":" + std::string(value));
                    for (const auto& [index, values] : self.subkeys) {
                        if (display_class_subkey(index) != key) continue;
                        const auto found = values.find(std::string(value));
                        if (found == values.end()) return std::nullopt;
                        return found->second;
                    }
                    return std::nullopt;
                }};
    }
};

}  // namespace

TEST(GraphicsSelection, SkipsSoftwareMicrosoftVirtualAndNamelessAdapters)
{
    struct Case {
        const char* what;
        std::vector<AdapterInfo> adapters;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"nothing", {}, std::nullopt},
        {"basic render driver only", {adapter("Microsoft Basic Render Driver", 0, 0x1414, true)}, std::nullopt},
        {"software flag", {adapter("Acme Graphics", 8 * gib, 0x10DE, true)}, std::nullopt},
        {"Microsoft vendor", {adapter("Acme Graphics", 8 * gib, 0x1414)}, std::nullopt},
        {"virtual and remote adapters, whatever their memory",
         {adapter("Parsec Virtual Display Adapter", 64 * gib), adapter("Citrix Indirect Display Adapter", 64 * gib),
          adapter("DisplayLink USB Device", 64 * gib), adapter("Microsoft Remote Display Adapter", 64 * gib, 0x1234),
          adapter("Mirage Driver", 64 * gib), adapter("Intel(R) UHD Graphics 630", 128 * mib, 0x8086)},
         "Intel(R) UHD Graphics 630"},
        {"keywords match inside words and in any case",
         {adapter("Acme METAL Accelerator", 8 * gib), adapter("Acme Graphics", 1 * gib)},
         "Acme Graphics"},
        {"empty and blank descriptions name nothing",
         {adapter("", 16 * gib), adapter(" \t\u3000", 16 * gib), adapter("Acme Graphics", 1 * gib)},
         "Acme Graphics"},
        {"name with doubled blanks", {adapter("  NVIDIA  GeForce   RTX 4070 ", 12 * gib)}, "NVIDIA GeForce RTX 4070"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(select_graphics_name(c.adapters), c.expected);
    }
}

TEST(GraphicsSelection, MemoryDecidesAndFamilyBreaksTies)
{
    struct Case {
        const char* what;
        std::vector<AdapterInfo> adapters;
        std::string expected;
    };
    const Case cases[] = {
        {"more dedicated memory wins",
         {adapter("Intel(R) UHD Graphics 770", 128 * mib, 0x8086), adapter("Acme Xe 8G", 8 * gib, 0x1234)},
         "Acme Xe 8G"},
        {"family never beats more memory",
         {adapter("Acme Accelerator 16G", 16 * gib, 0x1234), adapter("NVIDIA GeForce RTX 4060", 8 * gib)},
         "Acme Accelerator 16G"},
        {"equal memory: family wins",
         {adapter("Acme Graphics", 8 * gib, 0x1002), adapter("AMD Radeon RX 6600", 8 * gib, 0x1002)},
         "AMD Radeon RX 6600"},
        {"equal memory, both family: first stays",
         {adapter("AMD Radeon RX 6600", 8 * gib, 0x1002), adapter("NVIDIA GeForce RTX 3060", 8 * gib)},
         "AMD Radeon RX 6600"},
        {"equal memory, neither family: first stays",
         {adapter("Acme Graphics", 8 * gib, 0x1234), adapter("Acme Graphics Two", 8 * gib, 0x1234)},
         "Acme Graphics"},
        {"family first, plain later at equal memory: first stays",
         {adapter("Radeon Pro W6800", 8 * gib, 0x1002), adapter("Acme Graphics", 8 * gib, 0x1234)},
         "Radeon Pro W6800"},
        {"arc(tm) a",
         {adapter("Acme Graphics", 16 * gib, 0x1234), adapter("Intel(R) Arc(TM) A770 Graphics", 16 * gib, 0x8086)},
         "Intel(R) Arc(TM) A770 Graphics"},
        {"arc b",
         {adapter("Acme Graphics", 12 * gib, 0x1234), adapter("Intel Arc B580", 12 * gib, 0x8086)},
         "Intel Arc B580"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(select_graphics_name(c.adapters), c.expected);
    }
}

TEST(GraphicsSelection, LooksAtSixteenAdaptersOnly)
{
    std::vector<AdapterInfo> adapters(max_adapters, adapter("Microsoft Basic Render Driver", 0, 0x1414, true));
    adapters.push_back(adapter("NVIDIA GeForce RTX 4090", 24 * gib));
    EXPECT_EQ(select_graphics_name(adapters), std::nullopt);
    adapters[max_adapters - 1] = adapter("Acme Graphics", 1 * gib, 0x1234);
    EXPECT_EQ(select_graphics_name(adapters), "Acme Graphics");
}

TEST(DriverDate, ParsesMonthDayYear)
{
    const std::pair<const char*, const char*> good[] = {
        {"6-14-2024", "20240614"},  {"6/14/2024", "20240614"},         {" 6 - 14 - 2024 ", "20240614"},
        {"06-01-2000", "20000601"}, {"12/31/2100", "21001231"},        {"+6-14-2024", "20240614"},
        {"2-29-2024", "20240229"},  {"2-29-2000", "20000229"},         {"4-30-2023", "20230430"},
        {"6-14/2024", "20240614"},  {"\t6-14-2024\u00a0", "20240614"},
    };
    for (const auto& [text, expected] : good) EXPECT_EQ(parse_driver_date(text), expected) << text;

    const char* const bad[] = {
        "",           "   ",       "2024-06-14", "13-1-2024",   "0-1-2024",        "6-0-2024",   "6-32-2024",
        "6-14-1999",  "6-14-2101", "6-14",       "6-14-2024-1", "6--14-2024",      "-6-14-2024", "6-14-2024-",
        "6-14-20 24", "6.14.2024", "6-14-2024x", "-1-14-2024",  "6-14-4294967296", "2-31-2024",  "2-30-2024",
        "2-29-2023",  "2-29-2100", "4-31-2024",  "11-31-2024",
    };
    for (const char* text : bad) EXPECT_EQ(parse_driver_date(text), std::nullopt) << text;
}

TEST(DriverDate, SubkeysAreNumberedWithFourDigits)
{
    EXPECT_EQ(display_class_subkey(0),
              "SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}\\0000");
    EXPECT_EQ(display_class_subkey(31).substr(display_class_key.size()), "\\0031");
}

TEST(DriverDate, FirstMatchingSubkeyDecides)
{
    FakeClass fake;
    fake.subkeys[0] = {{"DriverDesc", "Microsoft Basic Display Adapter"}, {"DriverDate", "6-21-2006"}};
    fake.subkeys[2] = {{"DriverDate", "1-1-2020"}};  // no DriverDesc: passed over
    fake.subkeys[3] = {{"DriverDesc", "nvidia  geforce RTX\t4070"}, {"DriverDate", "6-14-2024"}};
    fake.subkeys[4] = {{"DriverDesc", "NVIDIA GeForce RTX 4070"}, {"DriverDate", "1-1-2025"}};
    EXPECT_EQ(find_driver_date("NVIDIA GeForce RTX 4070", fake.reader()).value, "20240614");

    // A malformed or missing date at the first match ends the search, and says which entry.
    fake.subkeys[3]["DriverDate"] = "2024-06-14";
    const Finding<std::string> malformed = find_driver_date("NVIDIA GeForce RTX 4070", fake.reader());
    EXPECT_EQ(malformed.value, std::nullopt);
    EXPECT_EQ(malformed.why_absent,
              "display-class entry 0003: DriverDate \"2024-06-14\" is not a day of 2000 to 2100");
    fake.subkeys[3].erase("DriverDate");
    const Finding<std::string> missing = find_driver_date("NVIDIA GeForce RTX 4070", fake.reader());
    EXPECT_EQ(missing.value, std::nullopt);
    EXPECT_EQ(missing.why_absent, "display-class entry 0003 has no readable DriverDate");

    // No subkey names the adapter; absent and empty names never match.
    EXPECT_EQ(find_driver_date("AMD Radeon RX 6600", fake.reader()).why_absent,
              "no display-class entry 0000 to 0031 names the graphics card");
    EXPECT_EQ(find_driver_date(std::nullopt, fake.reader()).why_absent, "no graphics card to look up");
    fake.subkeys[1] = {{"DriverDesc", ""}, {"DriverDate", "1-1-2021"}};
    EXPECT_EQ(find_driver_date("", fake.reader()).value, std::nullopt);
}

TEST(DriverDate, CaseIsIgnoredForAsciiLettersOnly)
{
    FakeClass fake;
    fake.subkeys[0] = {{"DriverDesc", "\u00c9cran Acme"}, {"DriverDate", "3-4-2023"}};
    EXPECT_EQ(find_driver_date("\u00c9CRAN ACME", fake.reader()).value, "20230304");
    EXPECT_EQ(find_driver_date("\u00e9cran acme", fake.reader()).value, std::nullopt);
}

TEST(DriverDate, SearchesThe32SubkeysOnly)
{
    FakeClass fake;
    fake.subkeys[31] = {{"DriverDesc", "Acme Graphics"}, {"DriverDate", "5-6-2022"}};
    EXPECT_EQ(find_driver_date("Acme Graphics", fake.reader()).value, "20220506");
    fake.reads.clear();
    fake.subkeys.clear();
    fake.subkeys[32] = {{"DriverDesc", "Acme Graphics"}, {"DriverDate", "5-6-2022"}};
    EXPECT_EQ(find_driver_date("Acme Graphics", fake.reader()).value, std::nullopt);
    EXPECT_EQ(fake.reads.size(), max_display_class_subkeys);
    EXPECT_EQ(fake.reads.back(), display_class_subkey(31) + ":DriverDesc");
}
