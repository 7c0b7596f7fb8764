#include "calc/error.h"
#include "calc/number_text.h"

#include <cfenv>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <limits>

namespace velquor::test {
namespace {

    using namespace std::string_literals;

    struct FormatCase
    {
        Ext value;
        const char* text;
    };

    const FormatCase FormatCases[] = {
        { 3, "3" },
        { 0.5L + 0.25L, "0.75" },
        { 0 - 0.001L, "-0.001" },
        { 0.00001L, "1E-5" },
        { 1.5e20L, "1.5E20" },
        { 999999999999999.0L, "999999999999999" },
        { 1e15L, "1E15" },
        { 0, "0" },
        { -0.0L, "0" },
        { 0.1L + 0.2L, "0.3" },
        { 0.0001L, "0.0001" },
        { -0.0001L, "-0.0001" },
        { 12.25L, "12.25" },
        { 2.5e-5L, "2.5E-5" },
        { 100, "100" },
        { 1e14L, "100000000000000" },
        { 1.0L / 3, "0.333333333333333" },
        { 2.0L / 3, "0.666666666666667" },
        { 123456789012345678.0L, "1.23456789012346E17" },
        { 9999999999999999.0L, "1E16" },
        { 0.99999999999999999L, "1" },
        { 1e-4000L, "1E-4000" },
        { -1.1e4932L, "-1.1E4932" },
    };

    TEST(FormatNumberTest, GeneralFormatWithFifteenDigits)
    {
        for (const FormatCase& row : FormatCases)
            EXPECT_EQ(FormatNumber(row.value), row.text) << static_cast<double>(row.value);
    }

    TEST(FormatNumberTest, StepsOfATenthShowNoRoundingError)
    {
        Ext value = StrToFloat("0");
        const Ext step = StrToFloat("0.1");
        const char* expected[]
            = { "0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1" };
        for (const char* text : expected) {
            value = StrToFloat(FormatNumber(value)) + step;
            EXPECT_EQ(FormatNumber(value), text);
        }
    }

    TEST(FormatNumberTest, UsesTheGivenSeparator)
    {
        EXPECT_EQ(FormatNumber(0.5L, ','), "0,5");
        EXPECT_EQ(FormatNumber(2.5e-5L, ','), "2,5E-5");
    }

    struct FloatCase
    {
        const char* text;
        char separator;
        bool accepted;
        Ext value;
    };

    const FloatCase FloatCases[] = {
        { "1.5", '.', true, 1.5L },
        { " 1.5 ", '.', true, 1.5L },
        { "-2", '.', true, -2 },
        { "+.5", '.', true, 0.5L },
        { "5.", '.', true, 5 },
        { ".", '.', true, 0 },
        { "1e5", '.', true, 100000 },
        { "1E+5", '.', true, 100000 },
        { "2.5E-5", '.', true, 2.5e-5L },
        { "1,5", ',', true, 1.5L },
        { "1e-5000", '.', true, 0 },
        { "1e", '.', false, 0 },
        { "", '.', false, 0 },
        { " ", '.', false, 0 },
        { "-", '.', false, 0 },
        { "abc", '.', false, 0 },
        { "1.2.3", '.', false, 0 },
        { "1.5", ',', false, 0 },
        { "1e5000", '.', false, 0 },
        { "- 1", '.', false, 0 },
        { "1 2", '.', false, 0 },
        { "\t1", '.', false, 0 },
        { "0x10", '.', false, 0 },
        { "inf", '.', false, 0 },
        { "nan", '.', false, 0 },
        // The runtime's own readers take these; the strict form has no names of values.
        { "NAN", '.', false, 0 },
        { "nan(123)", '.', false, 0 },
        { "-nan", '.', false, 0 },
        { "infinity", '.', false, 0 },
        { "-Inf", '.', false, 0 },
        { "+INFINITY", '.', false, 0 },
        { "1e+inf", '.', false, 0 },
        { "0x1p3", '.', false, 0 },
    };

    TEST(StrToFloatTest, AcceptsOnlyTheStrictForm)
    {
        for (const FloatCase& row : FloatCases) {
            Ext value = -7;
            EXPECT_EQ(TryStrToFloat(row.text, value, row.separator), row.accepted) << row.text;
            if (row.accepted) {
                EXPECT_EQ(value, row.value) << row.text;
            }
        }
    }

    TEST(StrToFloatTest, ThrowsTheMessageWithTheWholeText)
    {
        try {
            StrToFloat("abc");
            FAIL();
        } catch (const Error& error) {
            EXPECT_STREQ(error.what(), "'abc' は浮動小数点数ではありません");
        }
        EXPECT_THROW(StrToFloat(""), Error);
    }

    // A NUL byte ends the text for C's readers but not here: whatever follows it, it is no
    // blank, so the text is not a number.
    TEST(StrToFloatTest, TextAfterANulByteIsNoNumber)
    {
        using namespace std::string_view_literals;
        for (const std::string_view text : { "2\0"sv, "2\0" "5"sv, "\0" "2"sv, "2 \0 "sv, "\0"sv }) {
            Ext value = -7;
            EXPECT_FALSE(TryStrToFloat(text, value)) << text.size();
            std::int32_t integer = -7;
            EXPECT_FALSE(TryStrToInt(text, integer)) << text.size();
        }
        try {
            StrToFloat("2\0"sv);
            FAIL();
        } catch (const Error& error) {
            // The NUL shows as "\\0", or the message would end at it.
            EXPECT_EQ(std::string(error.what()), "'2\\0' は浮動小数点数ではありません");
        }
    }

    // A huge setting value does not fill the message: it shows 100 characters and "...".
    TEST(StrToFloatTest, TheMessageShowsAtMostAHundredCharactersOfTheText)
    {
        const std::string huge(1000000, '7');
        try {
            StrToFloat(huge + "x");
            FAIL();
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()),
                "'" + std::string(100, '7') + "...' は浮動小数点数ではありません");
        }
        try {
            StrToInt(huge);
            FAIL();
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()), "'" + std::string(100, '7') + "...' は整数ではありません");
        }
    }

    TEST(ShownTextTest, CutsAfterAHundredCharactersNotBytes)
    {
        const std::string kana = "\xE3\x81\x82"; // one character of three bytes
        std::string hundredKana;
        for (int i = 0; i < 100; ++i)
            hundredKana += kana;
        const struct
        {
            std::string text;
            std::string shown;
        } rows[] = {
            { "", "" },
            { std::string(100, 'a'), std::string(100, 'a') },
            { std::string(101, 'a'), std::string(100, 'a') + "..." },
            { hundredKana, hundredKana },
            { hundredKana + kana, hundredKana + "..." },
            { std::string(99, 'a') + kana + kana, std::string(99, 'a') + kana + "..." },
            { "1\0" "2"s, "1\\0" "2" },
        };
        for (const auto& row : rows) {
            EXPECT_EQ(shownText(row.text), row.shown) << row.text.size();
        }
    }

    struct IntCase
    {
        const char* text;
        bool accepted;
        std::int32_t value;
    };

    const IntCase IntCases[] = {
        { "12", true, 12 },
        { "  -5", true, -5 },
        { "+7", true, 7 },
        { "007", true, 7 },
        { "$ff", true, 255 },
        { "$1A", true, 26 },
        { "$FFFFFFFF", true, -1 },
        { "$80000000", true, std::numeric_limits<std::int32_t>::min() },
        { "$000000010", true, 16 },
        { "2147483647", true, 2147483647 },
        { "-2147483648", true, std::numeric_limits<std::int32_t>::min() },
        { "$100000000", false, 0 },
        { "2147483648", false, 0 },
        { "-2147483649", false, 0 },
        { "12 ", false, 0 },
        { "", false, 0 },
        { "$", false, 0 },
        { "-", false, 0 },
        { "1.0", false, 0 },
        { "-$1", false, 0 },
        { "0x10", false, 0 },
        { "99999999999999999999", false, 0 },
    };

    TEST(StrToIntTest, AcceptsSignedDecimalOrHex)
    {
        for (const IntCase& row : IntCases) {
            std::int32_t value = -7;
            EXPECT_EQ(TryStrToInt(row.text, value), row.accepted) << row.text;
            if (row.accepted) {
                EXPECT_EQ(value, row.value) << row.text;
            }
        }
        try {
            StrToInt("");
            FAIL();
        } catch (const Error& error) {
            EXPECT_STREQ(error.what(), "'' は整数ではありません");
        }
    }

    // The fast ways (the processor's conversion, the bits) against the library's rounding in
    // the default mode (ties to even), over ties, near-ties, both signs and every magnitude up
    // to the 64-bit limit; the same results while the rounding control says otherwise, which
    // the conversion would follow.
    TEST(NearestIntTest, AgreesWithTheLibraryOnManyValuesInEveryRoundingMode)
    {
        std::uint64_t state = 88172645463325252u;
        auto next = [&state] {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            return state;
        };
        for (const int mode : { FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO }) {
            for (int i = 0; i < 100000; ++i) {
                const int shift = static_cast<int>(next() % 70) - 4;
                Ext value = std::ldexp(static_cast<Ext>(next() >> 11), shift - 53);
                if (i % 3 == 0)
                    value = floorl(value) + 0.5L; // a tie
                if (i % 5 == 0)
                    value = std::nextafter(value, Ext(0));
                if (i % 2 == 0)
                    value = -value;
                const bool fits
                    = value > -9223372036854775808.0L && value < 9223372036854775807.0L;
                const long long expected = fits ? llrintl(value) : 0;
                const bool fits32 = fits && expected >= -2147483648LL && expected <= 2147483647LL;

                ASSERT_EQ(fesetround(mode), 0);
                std::int64_t wide = 0;
                std::int32_t narrow = 0;
                std::int32_t batched = 0;
                const bool gotWide = NearestInt64(value, wide);
                const bool gotNarrow = NearestInt32(value, narrow);
                const bool gotBatched = NearestRounding().toInt32(value, batched);
                fesetround(FE_TONEAREST);

                ASSERT_EQ(gotWide, fits) << static_cast<double>(value) << " mode " << mode;
                ASSERT_EQ(gotNarrow, fits32) << static_cast<double>(value) << " mode " << mode;
                ASSERT_EQ(gotBatched, fits32) << static_cast<double>(value) << " mode " << mode;
                if (fits) {
                    ASSERT_EQ(wide, expected) << static_cast<double>(value) << " mode " << mode;
                }
                if (fits32) {
                    ASSERT_EQ(narrow, expected) << " mode " << mode;
                    ASSERT_EQ(batched, expected) << " mode " << mode;
                }
            }
        }
    }

    TEST(NearestIntTest, TiesToEvenAndRangeChecks)
    {
        const struct
        {
            Ext value;
            bool fits;
            std::int32_t result;
        } cases[] = {
            { 2.5L, true, 2 },
            { 3.5L, true, 4 },
            { -2.5L, true, -2 },
            { -0.5L, true, 0 },
            { 0.49999999999999999L, true, 0 },
            { 2147483647.4L, true, 2147483647 },
            { 2147483647.5L, false, 0 },
            { -2147483648.5L, true, std::numeric_limits<std::int32_t>::min() },
            { -2147483649.0L, false, 0 },
            { 1e10L, false, 0 },
            { std::numeric_limits<Ext>::quiet_NaN(), false, 0 },
            { std::numeric_limits<Ext>::infinity(), false, 0 },
        };
        for (const auto& row : cases) {
            std::int32_t result = -7;
            EXPECT_EQ(NearestInt32(row.value, result), row.fits) << static_cast<double>(row.value);
            if (row.fits) {
                EXPECT_EQ(result, row.result);
            }
        }
        std::int64_t wide = 0;
        EXPECT_TRUE(NearestInt64(-9223372036854775808.0L, wide));
        EXPECT_EQ(wide, std::numeric_limits<std::int64_t>::min());
        EXPECT_FALSE(NearestInt64(9223372036854775808.0L, wide));
        EXPECT_TRUE(NearestInt64(1e10L + 0.5L, wide));
        EXPECT_EQ(wide, 10000000000);
    }

    TEST(FormatMessageTest, ReplacesTheFirstPlaceholder)
    {
        EXPECT_EQ(formatMessage(NotIntegerMessage, "x%s"), "'x%s' は整数ではありません");
        EXPECT_EQ(formatMessage("none", "a"), "none");
    }

} // namespace
} // namespace velquor::test
