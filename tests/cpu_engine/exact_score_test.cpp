// The one division both engines share: exact totals, many past 2^53 (where the total itself has
// no exact double), against the correctly rounded quotients Python's fractions.Fraction gives.

#include "exact_score.h"

#include <gtest/gtest.h>

#include <string>

using namespace bestfocus;

namespace {

struct Quotient {
    const char* name;
    long long max_pixel;
    const char* total;  // decimal, may pass 64 bits
    double rounded;     // float(Fraction(total, max_pixel ** 2))
};

Int128 parse(const std::string& decimal) {
    Int128 value = 0;
    for (const char digit : decimal.substr(decimal[0] == '-' ? 1 : 0)) {
        value = value * 10 + (digit - '0');
    }
    return decimal[0] == '-' ? -value : value;
}

class ExactScore : public testing::TestWithParam<Quotient> {};

TEST_P(ExactScore, IsTheCorrectlyRoundedQuotient) {
    EXPECT_EQ(exact_score(parse(GetParam().total), GetParam().max_pixel), GetParam().rounded)
        << GetParam().total << " / " << GetParam().max_pixel << "^2";
}

// Ties between two doubles go to the even one; the others would come out one unit off if the
// total were rounded to a double before the division.
INSTANTIATE_TEST_SUITE_P(
    Totals, ExactScore,
    testing::Values(
        Quotient{"zero", 255, "0", 0.0}, Quotient{"one", 255, "65025", 1.0},
        Quotient{"tie_down_to_even", 255, "585693131539533069825", 0x1.0000000000000p+53},
        Quotient{"tie_up_to_even", 255, "585693131539533199875", 0x1.0000000000002p+53},
        Quotient{"just_above_a_tie", 255, "585693131539533069826", 0x1.0000000000001p+53},
        Quotient{"past_2_53_a", 255, "995080589422404640734", 0x1.b2f0511126c26p+53},
        Quotient{"past_2_53_b", 255, "191669305609566983493", 0x1.4f1b2c7c040cfp+51},
        Quotient{"below_2_53", 255, "2457427695717276774", 0x1.12f92b1e1485ep+45},
        Quotient{"tie_16_bit", 65535, "38684445645054619728871425", 0x1.0000000000000p+53},
        Quotient{"negative_16_bit", 65535, "-251368372114643373124", -0x1.b41163754889fp+35},
        Quotient{"past_2_64_a", 65535, "351724051032046594233", 0x1.3114cfb6d3c0ep+36},
        Quotient{"past_2_64_b", 65535, "820542936991235979814", 0x1.63dd58a777e47p+37},
        Quotient{"past_2_69", 65535, "1180591620717411303423", 0x1.0002000300040p+38}),
    [](const testing::TestParamInfo<Quotient>& info) { return std::string(info.param.name); });

// The fractions of several sums: numerators and denominators past 2^64, ties among them.
struct Ratio {
    const char* name;
    const char* numerator;
    const char* denominator;
    double rounded;  // float(Fraction(numerator, denominator))
};

class ExactQuotient : public testing::TestWithParam<Ratio> {};

TEST_P(ExactQuotient, IsTheCorrectlyRoundedQuotient) {
    EXPECT_EQ(exact_quotient(parse(GetParam().numerator), parse(GetParam().denominator)),
              GetParam().rounded);
}

INSTANTIATE_TEST_SUITE_P(
    Fractions, ExactQuotient,
    testing::Values(Ratio{"denominator_past_2_64", "8488472636495049419344195641",
                          "19806436151821781978469761025", 0x1.b6db6db6db6dbp-2},
                    Ratio{"both_near_2_94", "19807040628566084398385987581",
                          "6602346876188694799461995862", 0x1.8000000000000p+1},
                    Ratio{"negative_small_over_large", "-1099511627783",
                          "14130386091738734504764811067", -0x1.66d807bb0fa82p-54},
                    Ratio{"tie_down_to_even", "109506515262207881641401285297039393",
                          "24315330918113857602", 0x1.0000000000000p+52},
                    Ratio{"tie_up_to_even", "109506515262207905956732203410896995",
                          "24315330918113857602", 0x1.0000000000002p+52}),
    [](const testing::TestParamInfo<Ratio>& info) { return std::string(info.param.name); });

// Numerators past 128 bits, a * b - c * d as a score of several sums makes them (Tenengrad
// variance's at 16 bits), against Python's fractions: ties, a tie broken by the last of 143 bits,
// a quotient of few integer bits, a negative one.
struct WideRatio {
    const char* name;
    const char* a;
    const char* b;
    const char* c;
    const char* d;
    const char* denominator;
    double rounded;  // float(Fraction(a * b - c * d, denominator))
};

class WideQuotient : public testing::TestWithParam<WideRatio> {};

TEST_P(WideQuotient, IsTheCorrectlyRoundedQuotient) {
    const WideRatio& ratio = GetParam();
    const Int256 numerator = Int256::product(parse(ratio.a), parse(ratio.b)) -
                             Int256::product(parse(ratio.c), parse(ratio.d));
    ASSERT_FALSE(numerator.fits_128_bits());
    EXPECT_EQ(exact_quotient(numerator, parse(ratio.denominator)), ratio.rounded);
}

INSTANTIATE_TEST_SUITE_P(
    Fractions, WideQuotient,
    testing::Values(WideRatio{"tie_down_past_2_128", "64563604257983437824",
                              "1208925819614629174706176", "0", "0", "7", 0x1.0000000000000p+143},
                    WideRatio{"tie_up_past_2_128", "64563604257983452160",
                              "1208925819614629174706176", "0", "0", "7", 0x1.0000000000002p+143},
                    WideRatio{"a_tie_and_one_more", "64563604257983437824",
                              "1208925819614629174706176", "-1", "1", "7", 0x1.0000000000001p+143},
                    WideRatio{"tenengrad_variance_at_16_bits", "2147483645",
                              "36298449934608597072945015600184", "166911424023824147536",
                              "166911424023824147536", "85065399314547135289418610066860015625",
                              0x1.266d04294b41dp+9},
                    WideRatio{"negative_past_2_128", "18446744073709551621", "18446744073709551623",
                              "1267650600228229401496703205377", "1099511627779", "3",
                              -0x1.5540000004000p+138}),
    [](const testing::TestParamInfo<WideRatio>& info) { return std::string(info.param.name); });

}  // namespace
