#include "runtime/bounded_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr float nan_value = std::numeric_limits<float>::quiet_NaN();
constexpr float infinity = std::numeric_limits<float>::infinity();
constexpr float two_pi = 6.2831855f;
constexpr float pi = 3.1415927f;
constexpr float half_pi = 1.5707964f;

struct length_case {
    float x, y, expected;
};

TEST(bounded_length, accepts_magnitudes_up_to_one_million)
{
    const length_case cases[] = {
        {3, 4, 5},          {-3, -4, 5},        {0, 0, 0},
        {1000000, 0, 1000000}, {0, -1000000, 1000000},
        {nan_value, 0, 0},  {0, nan_value, 0},  {1000001, 0, 0},
        {0, -1000001, 0},   {infinity, 0, 0},   {0, -infinity, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bounded_length(c.x, c.y), c.expected) << "(" << c.x << ", " << c.y << ")";
    }
}

struct distance_case {
    float x0, y0, x1, y1, expected;
};

TEST(bounded_distance, tests_every_coordinate_even_for_equal_points)
{
    const distance_case cases[] = {
        {0, 0, 3, 4, 5},
        {3, 4, 0, 0, 5},
        {-1000000, 0, 1000000, 0, 2000000},
        {0, -1000000, 0, 1000000, 2000000},
        {1000001, 0, 0, 0, 0},
        {0, -1000001, 0, 0, 0},
        {0, 0, -1000001, 0, 0},
        {0, 0, 0, 1000001, 0},
        {nan_value, 0, 0, 0, 0},
        {0, nan_value, 0, 0, 0},
        {0, 0, nan_value, 0, 0},
        {0, 0, 0, nan_value, 0},
        {1000001, 0, 1000001, 0, 0},
        {0, -1000001, 0, -1000001, 0},
        {0, 0, infinity, 0, 0},
        {5, 5, 5, 1000001, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bounded_distance(c.x0, c.y0, c.x1, c.y1), c.expected)
            << "(" << c.x0 << ", " << c.y0 << ") to (" << c.x1 << ", " << c.y1 << ")";
    }
}

TEST(bounded_sine, exact_zeros_and_rejected_inputs)
{
    const float zeros[] = {0.0f, pi, -pi, two_pi, -two_pi, 4096.5f, -4096.5f, infinity, -infinity, nan_value};
    for (const float a : zeros) {
        EXPECT_EQ(bounded_sine(a), 0.0f) << "angle " << a;
    }
}

TEST(bounded_sine, known_values)
{
    EXPECT_EQ(bounded_sine(1.0f), 0.84147096f);
    EXPECT_EQ(bounded_sine(-half_pi), -1.0f);
    // One unit in the last place (of 1) below 1.
    EXPECT_EQ(bounded_sine(half_pi), 1.0f - std::numeric_limits<float>::epsilon());
    // Odd symmetry survives the reduction for angles within one turn.
    EXPECT_EQ(bounded_sine(-1.0f), -0.84147096f);
}

TEST(bounded_sine, bound_itself_is_accepted)
{
    // Exact single-precision results: a contracted multiply-add or a double
    // intermediate anywhere in the reduction or the polynomial changes them.
    EXPECT_EQ(bounded_sine(4096.0f), -0x1.308214p-1f); // -0.59474242
    EXPECT_EQ(bounded_sine(-4096.0f), 0x1.306a38p-1f); // 0.59456038: the reduction is not odd
}

TEST(bounded_sine, stays_within_unit_range_and_finite)
{
    // A sweep over the accepted range in steps that hit every branch of the
    // reduction and the folds.
    for (float a = -4096.0f; a <= 4096.0f; a += 0.37f) {
        const float s = bounded_sine(a);
        ASSERT_TRUE(std::isfinite(s)) << "angle " << a;
        ASSERT_LE(std::fabs(s), 1.0f) << "angle " << a;
        ASSERT_NEAR(s, std::sin(static_cast<double>(a)), 2e-3) << "angle " << a;
    }
}

} // namespace
