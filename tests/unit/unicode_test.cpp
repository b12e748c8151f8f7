#include "checks/unicode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "checks/unicode_tables.inc"

using namespace qd::checks;

namespace {

constexpr char32_t max_code_point = 0x10FFFF;

bool is_surrogate(char32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }

std::string hex(std::u32string_view text)
{
    std::string out;
    char buf[16];
    for (char32_t cp : text) {
        std::snprintf(buf, sizeof buf, "U+%04X ", static_cast<unsigned>(cp));
        out += buf;
    }
    return out.empty() ? "(empty)" : out;
}

struct Case {
    std::u32string in;
    std::u32string expected;
};

void expect_lower(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        EXPECT_EQ(hex(lower_case(c.in)), hex(c.expected)) << "input: " << hex(c.in);
    }
}

// ---------------------------------------------------------------- White_Space

TEST(UnicodeWhiteSpace, ExactlyTheWhiteSpaceCodePoints)
{
    const std::vector<char32_t> expected = {
        0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x0020, 0x0085, 0x00A0, 0x1680, 0x2000, 0x2001, 0x2002, 0x2003,
        0x2004, 0x2005, 0x2006, 0x2007, 0x2008, 0x2009, 0x200A, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000,
    };
    std::vector<char32_t> found;
    for (char32_t cp = 0; cp <= max_code_point; ++cp) {
        if (is_white_space(cp)) found.push_back(cp);
    }
    EXPECT_EQ(hex(std::u32string(found.begin(), found.end())), hex(std::u32string(expected.begin(), expected.end())));
}

TEST(UnicodeWhiteSpace, NeighboursAndLookalikesAreNot)
{
    const char32_t not_space[] = {
        0x0000,
        0x0008,
        0x000E,
        0x001C,
        0x001F,
        0x0021,
        0x0084,
        0x0086,
        0x009F,
        0x00A1,
        0x167F,
        0x1681,
        0x180E /* MONGOLIAN VOWEL SEPARATOR */,
        0x1FFF,
        0x200B /* ZERO WIDTH SPACE */,
        0x200C,
        0x2027,
        0x202A,
        0x202E,
        0x2030,
        0x205E,
        0x2060,
        0x2FFF,
        0x3001,
        0xFEFF,
        0xD800,
        0xDFFF,
        0x10FFFF,
        0x110000,
        0x110020,
        0xFFFFFFFF,
    };
    for (char32_t cp : not_space) {
        EXPECT_FALSE(is_white_space(cp)) << hex(std::u32string(1, cp));
    }
}

// ----------------------------------------------------------------- lower_case

TEST(UnicodeLowerCase, Ascii)
{
    for (char32_t cp = 0; cp < 0x80; ++cp) {
        const char32_t expected = (cp >= U'A' && cp <= U'Z') ? cp - U'A' + U'a' : cp;
        EXPECT_EQ(lower_case(std::u32string(1, cp)), std::u32string(1, expected)) << hex(std::u32string(1, cp));
    }
    expect_lower({{U"", U""}, {U"Hello, WORLD 42!", U"hello, world 42!"}});
}

TEST(UnicodeLowerCase, SingleCodePoints)
{
    expect_lower({
        // Latin-1: runs around the unmapped multiplication sign.
        {U"\u00C0\u00D6\u00D7\u00D8\u00DE", U"\u00E0\u00F6\u00D7\u00F8\u00FE"},
        // Alternating upper/lower pairs: only the upper one changes.
        {U"\u0100\u0101\u012E\u012F\u0130", U"\u0101\u0101\u012F\u012F\u0069\u0307"},
        {U"\u0178\u0181\u01C4\u01C5\u01C6", U"\u00FF\u0253\u01C6\u01C6\u01C6"},
        {U"\u1E9E", U"\u00DF"},                          // capital sharp s
        {U"\u0130", U"\u0069\u0307"},                    // dotted capital I: two code points
        {U"\u0049\u00CC", U"\u0069\u00EC"},              // language-specific rules not applied
        {U"\u2126\u212A\u212B", U"\u03C9\u006B\u00E5"},  // ohm, kelvin, angstrom
        {U"\u0391\u03A9\u0386\u03AB", U"\u03B1\u03C9\u03AC\u03CB"},
        {U"\u1F88\u1FBC\u1FFC", U"\u1F80\u1FB3\u1FF3"},              // Greek with prosgegrammeni
        {U"\u0401\u0410\u042F\u0460", U"\u0451\u0430\u044F\u0461"},  // Cyrillic
        {U"\u10A0\u1C90\u13A0\u13F5", U"\u2D00\u10D0\uAB70\u13FD"},  // Georgian, Cherokee
        {U"\u2C2F\uA7C0\uA7AE\u2C7E", U"\u2C5F\uA7C1\u026A\u023F"},
        {U"\u24B6\u24CF\uFF21\uFF3A", U"\u24D0\u24E9\uFF41\uFF5A"},              // circled, fullwidth
        {U"\U00010400\U00010427\U00010428", U"\U00010428\U0001044F\U00010428"},  // Deseret
        {U"\U00010570\U0001E900\U0001E921", U"\U00010597\U0001E922\U0001E943"},
        // Already lower, uncased or without a lower-case form: unchanged.
        {U"\u00DF\u0149\u01F0\u0390\uFB00\u0131\u03C3\u03C2\u4E2D\u0660\U0001F600",
         U"\u00DF\u0149\u01F0\u0390\uFB00\u0131\u03C3\u03C2\u4E2D\u0660\U0001F600"},
        {U"\u01C5\u1E9B\u2160\u216F", U"\u01C6\u1E9B\u2170\u217F"},
    });
}

TEST(UnicodeLowerCase, InvalidCodePointsPassThrough)
{
    const std::u32string invalid = {0xD800, 0x0041, 0xDFFF, 0x110000, 0x7FFFFFFF, 0xFFFFFFFF};
    const std::u32string expected = {0xD800, 0x0061, 0xDFFF, 0x110000, 0x7FFFFFFF, 0xFFFFFFFF};
    EXPECT_EQ(hex(lower_case(invalid)), hex(expected));
}

TEST(UnicodeLowerCase, FinalSigma)
{
    expect_lower({
        {U"Σ", U"σ"},
        {U"ΑΣ", U"ας"},
        {U"ΣΑ", U"σα"},
        {U"ΑΣΑ", U"ασα"},
        {U"ΑΣΣ", U"ασς"},
        {U"ΑΣ.", U"ας."},
        {U"ΑΣ ΑΣ", U"ας ας"},
        {U"ΑΣ Α", U"ας α"},
        {U"Α Σ", U"α σ"},  // space is neither cased nor case-ignorable
        {U"'Σ", U"'σ"},
        {U"Α'Σ", U"α'ς"},  // apostrophe is case-ignorable
        {U"ΑΣ'", U"ας'"},
        {U"ΑΣ'Α", U"ασ'α"},
        {U"Α.'Σ", U"α.'ς"},  // full stop is case-ignorable too
        {U"ΑΣ.Α", U"ασ.α"},
        {U"Α,Σ", U"α,σ"},  // comma is not
        {U"ΑΣ,Α", U"ας,α"},
        {U"Α\u0301\u00AD'Σ\u0301\u00AD", U"α\u0301\u00AD'ς\u0301\u00AD"},
        {U"ΑΣ\u0301\u00AD'Α", U"ασ\u0301\u00AD'α"},
        {U"1Σ", U"1σ"},
        {U"ΑΣ1", U"ας1"},
        {U"中Σ", U"中σ"},  // letter without case
        {U"ΑΣ中", U"ας中"},
        {U"aΣ", U"aς"},            // any cased letter, not only Greek
        {U"\u24D0Σ", U"\u24D0ς"},  // cased symbol (circled small a)
        {U"ΑΣ\U00010400", U"ασ\U00010428"},
        {U"\U00010400Σ", U"\U00010428ς"},
        {U"\u0130Σ", U"i\u0307ς"},
        {U"ΑΣ\u0130", U"ασi\u0307"},
        {U"ΟΔΥΣΣΕΥΣ", U"οδυσσευς"},
        // U+02B0 is cased and case-ignorable; it counts as the cased letter.
        {U"\u02B0Σ", U"\u02B0ς"},
        {U"ΑΣ\u02B0", U"ασ\u02B0"},
        // Invalid code points end the search.
        {std::u32string{0x0391, 0xD800, 0x03A3}, std::u32string{0x03B1, 0xD800, 0x03C3}},
        {std::u32string{0x0391, 0x03A3, 0x110000, 0x0391}, std::u32string{0x03B1, 0x03C2, 0x110000, 0x03B1}},
    });
}

TEST(UnicodeLowerCase, LongCaseIgnorableRuns)
{
    const std::u32string run(1000, U'\u0301');
    expect_lower({
        {U"Α" + run + U"Σ" + run, U"α" + run + U"ς" + run},
        {U"Α" + run + U"Σ" + run + U"Α", U"α" + run + U"σ" + run + U"α"},
        {run + U"Σ", run + U"σ"},
    });
}

// Every valid code point: the result consists of valid code points, only
// U+0130 expands, and lowering twice changes nothing more.
TEST(UnicodeLowerCase, AllCodePointsStableAndValid)
{
    int expanding = 0;
    int changed = 0;
    for (char32_t cp = 0; cp <= max_code_point; ++cp) {
        if (is_surrogate(cp)) continue;
        const std::u32string once = lower_case(std::u32string(1, cp));
        ASSERT_FALSE(once.empty());
        if (once.size() > 1) {
            ++expanding;
            EXPECT_EQ(cp, 0x0130u);
        }
        if (once != std::u32string(1, cp)) ++changed;
        for (char32_t c : once) {
            EXPECT_TRUE(c <= max_code_point && !is_surrogate(c)) << hex(once);
        }
        EXPECT_EQ(lower_case(once), once) << hex(std::u32string(1, cp));
    }
    EXPECT_EQ(expanding, 1);
    EXPECT_GT(changed, 1000);  // Latin, Greek, Cyrillic, ... all present
}

// ---------------------------------------------------------- generated tables

template <typename Table>
void expect_sorted_disjoint(const Table& table, const char* name)
{
    std::uint32_t next_free = 0;
    for (const auto& r : table) {
        EXPECT_LE(r.first, r.last) << name;
        EXPECT_GE(r.first, next_free) << name << " overlaps at " << r.first;
        EXPECT_LE(r.last, max_code_point) << name;
        next_free = r.last + 1;
    }
}

TEST(UnicodeTables, SortedDisjointAndSmall)
{
    using namespace unicode_tables;
    expect_sorted_disjoint(white_space_ranges, "white_space_ranges");
    expect_sorted_disjoint(cased_ranges, "cased_ranges");
    expect_sorted_disjoint(case_ignorable_ranges, "case_ignorable_ranges");

    std::uint32_t next_free = 0;
    for (const LowerRange& r : lower_ranges) {
        EXPECT_GE(r.first, next_free) << "lower_ranges overlap at " << r.first;
        EXPECT_TRUE(r.stride == 1 || r.stride == 2) << r.first;
        EXPECT_EQ(r.span % r.stride, 0u) << r.first;
        EXPECT_NE(r.delta, 0) << r.first;
        next_free = r.first + r.span + 1;
    }
    EXPECT_LE(next_free, max_code_point + 1);
    std::uint32_t previous = 0;
    for (const LowerMulti& m : lower_multi) {
        EXPECT_GT(m.first, previous);
        EXPECT_GE(m.length, 2u);
        EXPECT_LE(m.length, std::size(m.mapping));
        previous = m.first;
    }

    constexpr std::size_t total = sizeof lower_ranges + sizeof lower_multi + sizeof white_space_ranges +
                                  sizeof cased_ranges + sizeof case_ignorable_ranges;
    static_assert(total < 64 * 1024, "Unicode tables must stay compact");
    RecordProperty("unicode_table_bytes", static_cast<int>(total));
    EXPECT_NE(std::string(unicode_version), "");
}

}  // namespace
