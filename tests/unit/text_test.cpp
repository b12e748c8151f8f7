#include "checks/text.h"

#include <gtest/gtest.h>

using namespace qd::checks;

namespace {

std::string wide(std::u16string_view units, std::size_t capacity) { return wide_to_text(units.data(), capacity); }

const char32_t white_space[] = {0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x20,   0x85,   0xA0,   0x1680,
                                0x2000, 0x2001, 0x2002, 0x2003, 0x2004, 0x2005, 0x2006, 0x2007, 0x2008,
                                0x2009, 0x200A, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000};

}  // namespace

TEST(WideToText, StopsAtNulOrCapacity)
{
    const char16_t buffer[] = {u'a', u'b', 0, u'c', u'd'};
    EXPECT_EQ(wide_to_text(buffer, 5), "ab");
    const char16_t unterminated[] = {u'G', u'P', u'U'};
    EXPECT_EQ(wide_to_text(unterminated, 3), "GPU");
    EXPECT_EQ(wide_to_text(unterminated, 2), "GP");
    EXPECT_EQ(wide_to_text(unterminated, 0), "");
}

TEST(WideToText, DecodesSurrogatesAndReplacesUnpairedOnes)
{
    EXPECT_EQ(wide(u"\u00e9\u20ac", 8), "\xC3\xA9\xE2\x82\xAC");
    const char16_t pair[] = {0xD83D, 0xDE00, 0};  // U+1F600
    EXPECT_EQ(wide_to_text(pair, 3), "\xF0\x9F\x98\x80");
    const char16_t lone_high[] = {0xD83D, u'x', 0};  // the next unit is decoded by itself
    EXPECT_EQ(wide_to_text(lone_high, 3), "\xEF\xBF\xBDx");
    const char16_t lone_low[] = {0xDE00, u'x'};
    EXPECT_EQ(wide_to_text(lone_low, 2), "\xEF\xBF\xBDx");
    const char16_t high_at_end[] = {u'x', 0xD83D};  // pair cut off by the capacity
    EXPECT_EQ(wide_to_text(high_at_end, 2), "x\xEF\xBF\xBD");
    const char16_t high_high[] = {0xD83D, 0xD83D, 0xDE00};
    EXPECT_EQ(wide_to_text(high_high, 3), "\xEF\xBF\xBD\xF0\x9F\x98\x80");
}

TEST(TextToWide, RoundTripsAndReplacesMalformedUtf8)
{
    const std::string text = "Acme\xC3\xA9 \xF0\x9F\x98\x80";
    const std::u16string units = text_to_wide(text);
    EXPECT_EQ(units, u"Acme\u00e9 \U0001F600");
    EXPECT_EQ(wide_to_text(units.c_str(), units.size() + 1), text);
    EXPECT_EQ(text_to_wide("\xC3"), u"\uFFFD");                      // truncated
    EXPECT_EQ(text_to_wide("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong
    EXPECT_EQ(text_to_wide("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
    EXPECT_EQ(text_to_wide("\xF4\x90\x80\x80"
                           "a"),
              u"\uFFFD\uFFFD\uFFFD\uFFFDa");  // past U+10FFFF
}

TEST(CollapseWhitespace, JoinsWordsWithSingleBlanks)
{
    EXPECT_EQ(collapse_whitespace("  Acme  Core\t8 \r\n"), "Acme Core 8");
    EXPECT_EQ(collapse_whitespace("   "), "");
    EXPECT_EQ(collapse_whitespace(""), "");
    EXPECT_EQ(collapse_whitespace("one"), "one");
    // Every White_Space character separates words; other spaces such as U+200B do not.
    for (char32_t ws : white_space) {
        const std::string text =
            "a" + utf32_to_utf8(std::u32string(2, ws)) + "b" + utf32_to_utf8(std::u32string(1, ws));
        EXPECT_EQ(collapse_whitespace(text), "a b") << std::hex << static_cast<unsigned>(ws);
        EXPECT_EQ(trim(text), "a" + utf32_to_utf8(std::u32string(2, ws)) + "b")
            << std::hex << static_cast<unsigned>(ws);
    }
    EXPECT_EQ(collapse_whitespace("a\xE2\x80\x8B"
                                  "b"),
              "a\xE2\x80\x8B"
              "b");
}

TEST(Trim, RemovesOnlyTheEnds)
{
    EXPECT_EQ(trim("  6 - 14 \t"), "6 - 14");
    EXPECT_EQ(trim("\xE3\x80\x80x\xC2\xA0"), "x");
    EXPECT_EQ(trim(" \t "), "");
    EXPECT_EQ(trim(""), "");
}

TEST(ToLower, UsesFullMappingsAndFinalSigma)
{
    EXPECT_EQ(to_lower("NVIDIA GeForce RTX"), "nvidia geforce rtx");
    EXPECT_EQ(to_lower("\xC4\xB0"), "i\xCC\x87");                 // U+0130 maps to two characters
    EXPECT_EQ(to_lower("\xCE\x9F\xCE\xA3"), "\xCE\xBF\xCF\x82");  // ΟΣ: final sigma
    EXPECT_EQ(to_lower("\xCE\xA3\xCE\x9F"), "\xCF\x83\xCE\xBF");  // ΣΟ: ordinary sigma
    EXPECT_EQ(to_lower("ARC(TM) A770"), "arc(tm) a770");
    EXPECT_EQ(to_lower("\xC3\x89"), "\xC3\xA9");
}

TEST(Contains, MatchesBytesAnywhere)
{
    EXPECT_TRUE(contains("intel(r) arc(tm) a770", "arc(tm) a"));
    EXPECT_TRUE(contains("metadata", "meta"));
    EXPECT_TRUE(contains("anything", ""));
    EXPECT_TRUE(contains("", ""));
    EXPECT_FALSE(contains("radeon", "radeon rx"));
}

TEST(AsciiIequals, FoldsOnlyAsciiLetters)
{
    EXPECT_TRUE(ascii_iequals("NVIDIA GeForce", "nvidia geforce"));
    EXPECT_TRUE(ascii_iequals("", ""));
    EXPECT_FALSE(ascii_iequals("abc", "abcd"));
    EXPECT_FALSE(ascii_iequals("\xC3\x89", "\xC3\xA9"));  // É vs é: not ASCII
    EXPECT_FALSE(ascii_iequals("[", "{"));
    EXPECT_FALSE(ascii_iequals("@", "`"));
}

TEST(ParseU32, AcceptsDigitsWithOptionalPlus)
{
    struct Case {
        const char* text;
        std::optional<std::uint32_t> value;
    } cases[] = {
        {"0", 0u},
        {"7", 7u},
        {"+7", 7u},
        {"007", 7u},
        {"4294967295", 4294967295u},
        {"+04294967295", 4294967295u},
        {"", std::nullopt},
        {"+", std::nullopt},
        {"-1", std::nullopt},
        {"-", std::nullopt},
        {"4294967296", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {" 7", std::nullopt},
        {"7 ", std::nullopt},
        {"++7", std::nullopt},
        {"1a", std::nullopt},
        {"\xD9\xA1", std::nullopt},  // Arabic-Indic digit one
    };
    for (const Case& c : cases) EXPECT_EQ(parse_u32(c.text), c.value) << '"' << c.text << '"';
}

TEST(Decimal, WritesPlainDigits)
{
    EXPECT_EQ(decimal(0), "0");
    EXPECT_EQ(decimal(1080), "1080");
    EXPECT_EQ(decimal(18446744073709551615ull), "18446744073709551615");
}

TEST(FirstScalars, CutsOnScalarBoundariesOnly)
{
    const struct Case {
        std::string_view text;
        std::size_t limit;
        std::string_view cut;
    } cases[] = {
        {"", 3, ""},
        {"abc", 0, ""},
        {"abc", 2, "ab"},
        {"abc", 3, "abc"},
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", 2, "\xC3\xA9\xE2\x82\xAC"},  // U+00E9 U+20AC U+1F600
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", 3, "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
        {"a\xE2\x82", 2, "a\xEF\xBF\xBD"},  // a truncated sequence counts as one U+FFFD per byte
        {"\xFF\xFE"
         "b",
         5,
         "\xEF\xBF\xBD\xEF\xBF\xBD"
         "b"},
    };
    for (const Case& c : cases) EXPECT_EQ(first_scalars(c.text, c.limit), c.cut) << c.text << " " << c.limit;
}
