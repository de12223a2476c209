#include "bla_table.h"

#include <algorithm>
#include <cassert>

namespace {

// |a|.
floatexp modulus(complex_pair<floatexp> a) { return sqrt(norm(a)); }

// Coefficients of skip x followed by skip y.
bla_coefficient merge(const bla_coefficient& x, const bla_coefficient& y) { return {y.a * x.a, y.a * x.b + y.b}; }

// The largest exponent of |A| or |B| whose skips double deltas may take:
// their products with deltas of the double range stay in it.
inline constexpr std::int64_t double_coefficient_exponent = 900;

// Whether double deltas may take a skip: both its coefficients within 2^900.
bool fits_double(const bla_coefficient& c)
{
    const floatexp na = norm(c.a);
    const floatexp nb = norm(c.b);
    return na.e < 2 * double_coefficient_exponent && na.e > -2 * double_coefficient_exponent &&
           nb.e < 2 * double_coefficient_exponent && nb.e > -2 * double_coefficient_exponent;
}

}  // namespace

bla_layout make_bla_layout(std::int64_t elements)
{
    bla_layout layout;
    layout.offsets.push_back(0);  // level 0 is not stored
    layout.offsets.push_back(0);
    // A skip of 2^k from m = 1 + j 2^k needs element m + 2^k, at most elements - 1.
    const std::int64_t span = elements - 2;
    std::int64_t total = 0;
    for (int k = 1; span > 0 && (span >> k) > 0; ++k) {
        total += span >> k;
        layout.offsets.push_back(total);
        layout.levels = k;
    }
    return layout;
}

complex_pair<floatexp> single_step_a(int exponent, complex_pair<floatexp> z)
{
    switch (exponent) {
    case 2:
        return mul_small(z, 2);
    case 3:
        return mul_small(square(z), 3);
    default:
        return mul_small(square(z) * z, 4);
    }
}

floatexp single_step_radius(int exponent, complex_pair<floatexp> z)
{
    // Within the radius |w| <= |z| (1 + 2 bla_tolerance), so |w|^2 stays
    // below 4 unless |z|^2 is within 2^-46 of it: such a step must be
    // taken plainly, as the escape test is due there.
    const floatexp n = norm(z);
    if (n > floatexp{1.0 - 0x1p-48, 2})
        return {0.0, floatexp_zero_exponent};
    const floatexp size = sqrt(n);
    // Neglected over linear: for p = 2, |d|^2 / |2 z d| = |d| / (2|z|);
    // for p = 3, (3|z||d|^2 + |d|^3) / (3|z|^2|d|); for p = 4,
    // (6|z|^2|d|^2 + 4|z||d|^3 + |d|^4) / (4|z|^3|d|). Each stays below
    // the tolerance for |d| < 2 t |z| (p = 2) and |d| < t |z| / 2 (p = 3, 4).
    const floatexp tolerance = to_floatexp(bla_tolerance);
    if (exponent == 2)
        return mul_small(tolerance * size, 2);
    return div_small(tolerance * size, 2);
}

floatexp merged_radius(floatexp radius_x, floatexp radius_y, floatexp modulus_a_x, floatexp modulus_b_x,
                       floatexp max_dc)
{
    // After x, |d| <= |A_x| |d_0| + |B_x| |dc|, which must stay below radius_y.
    if (is_zero(radius_x) || is_zero(radius_y))
        return {};
    const floatexp room = radius_y - modulus_b_x * max_dc;
    if (room.m <= 0.0)
        return {};
    assert(!is_zero(modulus_a_x));
    return smaller_of(radius_x, room / modulus_a_x);
}

bla_coefficients build_bla_coefficients(const orbit_elements& orbit)
{
    bla_coefficients table;
    table.layout = make_bla_layout(orbit.size());
    const bla_layout& layout = table.layout;
    table.entries.resize(static_cast<std::size_t>(layout.offsets[layout.levels + 1]));
    if (layout.levels == 0)
        return table;
    const floatexp one = to_floatexp(1.0);
    const complex_pair<floatexp> unit{one, to_floatexp(0.0)};
    const std::int64_t first_level = layout.offsets[2] - layout.offsets[1];
    for (std::int64_t j = 0; j < first_level; ++j) {
        const std::int64_t m = 1 + 2 * j;
        const bla_coefficient x{single_step_a(orbit.exponent, orbit.extended[static_cast<std::size_t>(m)]), unit};
        const bla_coefficient y{single_step_a(orbit.exponent, orbit.extended[static_cast<std::size_t>(m + 1)]), unit};
        table.entries[static_cast<std::size_t>(layout.offsets[1] + j)] = merge(x, y);
    }
    for (int k = 2; k <= layout.levels; ++k) {
        const std::int64_t count = layout.offsets[k + 1] - layout.offsets[k];
        for (std::int64_t j = 0; j < count; ++j) {
            const bla_coefficient& x = table.entries[static_cast<std::size_t>(layout.offsets[k - 1] + 2 * j)];
            const bla_coefficient& y = table.entries[static_cast<std::size_t>(layout.offsets[k - 1] + 2 * j + 1)];
            table.entries[static_cast<std::size_t>(layout.offsets[k] + j)] = merge(x, y);
        }
    }
    return table;
}

bla_table::bla_table(const orbit_elements& orbit, const bla_coefficients& coefficients, floatexp max_dc,
                     delta_type type)
    : coefficients_(&coefficients), type_(type), max_dc_(max_dc)
{
    const bla_layout& layout = coefficients.layout;
    assert(coefficients.entries.size() == static_cast<std::size_t>(layout.offsets[layout.levels + 1]));
    radii_.resize(coefficients.entries.size());
    if (layout.levels == 0)
        return;
    const floatexp one = to_floatexp(1.0);
    const std::int64_t first_level = layout.offsets[2] - layout.offsets[1];
    for (std::int64_t j = 0; j < first_level; ++j) {
        const std::int64_t m = 1 + 2 * j;
        const complex_pair<floatexp> zx = orbit.extended[static_cast<std::size_t>(m)];
        const complex_pair<floatexp> zy = orbit.extended[static_cast<std::size_t>(m + 1)];
        radii_[static_cast<std::size_t>(layout.offsets[1] + j)] =
            merged_radius(single_step_radius(orbit.exponent, zx), single_step_radius(orbit.exponent, zy),
                          modulus(single_step_a(orbit.exponent, zx)), one, max_dc);
    }
    for (int k = 2; k <= layout.levels; ++k) {
        const std::int64_t count = layout.offsets[k + 1] - layout.offsets[k];
        for (std::int64_t j = 0; j < count; ++j) {
            const std::size_t ix = static_cast<std::size_t>(layout.offsets[k - 1] + 2 * j);
            const bla_coefficient& x = coefficients.entries[ix];
            radii_[static_cast<std::size_t>(layout.offsets[k] + j)] =
                merged_radius(radii_[ix], radii_[ix + 1], modulus(x.a), modulus(x.b), max_dc);
        }
    }
    if (type == delta_type::double_precision) {
        double_radii_.resize(radii_.size());
        double_skips_.resize(radii_.size());
        for (int k = 1; k <= layout.levels; ++k) {
            for (std::int64_t i = layout.offsets[k]; i < layout.offsets[k + 1]; ++i) {
                const bla_coefficient& c = coefficients.entries[static_cast<std::size_t>(i)];
                const std::int64_t end = 1 + ((i - layout.offsets[k] + 1) << k);
                // Below the normal range a double could only round the radius, possibly up.
                const floatexp r = radii_[static_cast<std::size_t>(i)];
                double_radii_[static_cast<std::size_t>(i)] = fits_double(c) && r.e >= -1022 ? to_double(r) : 0.0;
                double_skips_[static_cast<std::size_t>(i)] = {to_double(c.a), to_double(c.b),
                                                              orbit.values[static_cast<std::size_t>(end)]};
            }
        }
    }
}

namespace {

// A skip with its validity radius, as the return skips are built.
struct radius_skip {
    bla_coefficient c;
    floatexp radius;
};

// Skip x followed by skip y, for |dc| <= max_dc.
radius_skip followed_by(const radius_skip& x, const radius_skip& y, floatexp max_dc)
{
    return {merge(x.c, y.c), merged_radius(x.radius, y.radius, modulus(x.c.a), modulus(x.c.b), max_dc)};
}

// The single step from element m.
radius_skip single_step(const orbit_elements& orbit, std::int64_t m)
{
    const complex_pair<floatexp> z = orbit.extended[static_cast<std::size_t>(m)];
    return {{single_step_a(orbit.exponent, z), {to_floatexp(1.0), to_floatexp(0.0)}},
            single_step_radius(orbit.exponent, z)};
}

}  // namespace

void bla_table::add_returns(const orbit_elements& orbit, std::vector<std::int64_t> returns)
{
    returns_.clear();
    assert(std::is_sorted(returns.begin(), returns.end()) && (returns.empty() || returns.front() == 0));
    const auto count = static_cast<std::int64_t>(returns.size());
    if (count < 2 || count > orbit.size() / return_spacing + 1)
        return;
    assert(returns.back() < orbit.size());
    // Level 0: through return i is its single step followed by the stretch after it.
    std::vector<radius_skip> after(static_cast<std::size_t>(count - 1));
    std::vector<radius_skip> through(static_cast<std::size_t>(count - 1));
    for (std::int64_t i = 0; i + 1 < count; ++i) {
        const std::int64_t from = returns[static_cast<std::size_t>(i)];
        const std::int64_t to = returns[static_cast<std::size_t>(i + 1)];
        radius_skip skip = single_step(orbit, from);
        through[static_cast<std::size_t>(i)] = skip;
        if (to == from + 1)
            continue;  // no stretch, and a radius of 0: found as through return i + 1
        radius_skip stretch = single_step(orbit, from + 1);
        for (std::int64_t m = from + 2; m < to; ++m)
            stretch = followed_by(stretch, single_step(orbit, m), max_dc_);
        after[static_cast<std::size_t>(i)] = stretch;
        through[static_cast<std::size_t>(i)] = followed_by(skip, stretch, max_dc_);
    }
    // Each level's entries as they are made: floatexp coefficients and
    // radii for extended deltas, the double skips and the elements after
    // the returns for double deltas.
    const bool doubles = type_ == delta_type::double_precision;
    const auto entries = static_cast<std::size_t>(return_index(count, 0, 0));
    return_coefficients_.assign(doubles ? 0 : entries, {});
    return_radii_.assign(doubles ? 0 : entries, {});
    double_returns_.assign(doubles ? entries : 0, {});
    after_returns_.clear();
    if (doubles) {
        for (const std::int64_t r : returns)
            after_returns_.push_back(orbit.values[static_cast<std::size_t>(r + 1)]);
    }
    const auto keep = [&](const radius_skip& skip, std::int64_t i, int j, int kind) {
        const auto k = static_cast<std::size_t>(return_index(i, j, kind));
        if (!doubles) {
            return_coefficients_[k] = skip.c;
            return_radii_[k] = skip.radius;
            return;
        }
        const std::int64_t lands = returns[static_cast<std::size_t>(i + (std::int64_t{1} << j))];
        // Below the normal range a double could only round the radius, possibly up.
        double_returns_[k] = {to_double(skip.c.a), to_double(skip.c.b), orbit.values[static_cast<std::size_t>(lands)],
                              fits_double(skip.c) && skip.radius.e >= -1022 ? to_double(skip.radius) : 0.0};
    };
    for (int j = 0; j <= return_levels && (std::int64_t{1} << j) < count; ++j) {
        const std::int64_t half = std::int64_t{1} << j;
        for (std::int64_t i = 0; i + half < count; ++i) {
            keep(after[static_cast<std::size_t>(i)], i, j, 0);
            keep(through[static_cast<std::size_t>(i)], i, j, 1);
        }
        // The next level: the skip to the 2^j-th next return, then through that one to the 2^j-th after it.
        for (std::int64_t i = 0; i + 2 * half < count; ++i) {
            const radius_skip& rest = through[static_cast<std::size_t>(i + half)];
            after[static_cast<std::size_t>(i)] = followed_by(after[static_cast<std::size_t>(i)], rest, max_dc_);
            through[static_cast<std::size_t>(i)] = followed_by(through[static_cast<std::size_t>(i)], rest, max_dc_);
        }
    }
    returns_ = std::move(returns);
}

std::int64_t bla_table_bytes(std::int64_t elements)
{
    const bla_layout layout = make_bla_layout(elements);
    const std::int64_t entries = layout.offsets[layout.levels + 1];
    // At most one return in return_spacing elements, with two kinds of
    // return_levels + 1 levels each, in one delta type's form, and the
    // two working levels as they are built.
    const std::int64_t returns = elements / return_spacing + 1;
    const std::int64_t return_entries = 2 * (return_levels + 1) * returns;
    const auto return_entry =
        static_cast<std::int64_t>(std::max(sizeof(bla_coefficient) + sizeof(floatexp), sizeof(double_return_skip)));
    return entries * static_cast<std::int64_t>(sizeof(bla_coefficient) + sizeof(floatexp) + sizeof(double) +
                                               sizeof(double_skip)) +
           return_entries * return_entry +
           returns * static_cast<std::int64_t>(2 * sizeof(radius_skip) + sizeof(std::int64_t));
}
