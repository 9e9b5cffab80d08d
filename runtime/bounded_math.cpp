// Built with floating-point contraction off: a fused multiply-add would change
// the rounding of the products and sums, and with it the results.
#include "runtime/bounded_math.h"

#include <cmath>

namespace {

constexpr float coordinate_bound = 1000000.0f;
constexpr float sine_bound = 4096.0f;

constexpr float two_pi = 6.2831855f;
constexpr float pi = 3.1415927f;
constexpr float half_pi = 1.5707964f;

bool accepted(float value)
{
    // NaN fails the comparison.
    return std::fabs(value) <= coordinate_bound;
}

float root_of_squares(float x, float y)
{
    const float xx = x * x;
    const float yy = y * y;
    const float sum = xx + yy;
    return sqrtf(sum);
}

} // namespace

float bounded_length(float x, float y)
{
    if (!accepted(x) || !accepted(y)) {
        return 0.0f;
    }
    return root_of_squares(x, y);
}

float bounded_distance(float x0, float y0, float x1, float y1)
{
    if (!accepted(x0) || !accepted(y0) || !accepted(x1) || !accepted(y1)) {
        return 0.0f;
    }
    return root_of_squares(x1 - x0, y1 - y0);
}

float bounded_sine(float angle)
{
    if (!(std::fabs(angle) <= sine_bound)) {
        return 0.0f;
    }
    // Reduce to [0, two_pi) with k = floor(angle / two_pi).
    const float q = angle / two_pi;
    long k = lroundf(q);
    if (static_cast<float>(k) > q) {
        k -= 1;
    }
    const float kf = static_cast<float>(k);
    const float turns = kf * two_pi;
    float r = angle - turns;
    if (r < 0.0f) {
        r += two_pi;
        if (r < 0.0f || !(r < two_pi)) {
            r = 0.0f;
        }
    }
    if (r >= two_pi) {
        r -= two_pi;
        if (!(r < two_pi)) {
            r = 0.0f;
        }
    }
    if (r == 0.0f) {
        return 0.0f;
    }
    // Fold into [-half_pi, half_pi].
    if (r > pi) {
        r -= two_pi;
        if (r < -half_pi) {
            r = -pi - r;
        }
    } else if (r > half_pi) {
        r = pi - r;
    }
    const float z = r * r;
    float p = 1.605904e-10f;
    p = p * z - 2.50521e-8f;
    p = p * z + 2.755732e-6f;
    p = p * z - 1.984127e-4f;
    p = p * z + 8.333333e-3f;
    p = p * z - 0.16666667f;
    p = p * z + 1.0f;
    return p * r;
}
