// Prints the centres of the deep views bench/deep_bench.cpp measures, with
// the finder's digits, so that the benchmark stores them as text and never
// searches. Each is a minibrot reached by walking from the period-7 nucleus
// near i towards the Misiurewicz point i (preperiod 2, period 2, multiplier
// 4 + 4i), each step two periods longer and |4 + 4i|^2 = 32 times smaller:
//
//  - near 1e-227: 147 steps reach a period-301 minibrot of size 5e-226;
//    on its antenna, where the main set has its period-3 minibrot
//    (-1.75488), sits one of period 903. A view of radius 1e-226 about it
//    holds that one's interior and the whole antenna with its minibrots;
//  - near 1e-1000: 661 steps reach period 1329 (size 1.2e-999), and the
//    period-3987 minibrot on its antenna is the centre;
//  - the zoom to 1e-300 goes into the period-401 minibrot (197 steps,
//    size 2.8e-301) itself;
//  - the minibrot of period 301 * 3^7 = 658287 near 1e-238: from the
//    period-301 one, the minibrot on its copy's antenna, seven times over,
//    each 3 times the period and about 50 times smaller. A view a couple
//    of hundred times its size holds no other minibrot, and every pixel
//    first follows the centre's orbit through all its near-returns for
//    658287 iterations: the hard class of deep views, where pixels share
//    most of their orbit.
//
// A minibrot of period P at nucleus c0 is the main set scaled by its complex
// size s = 1 / (b l^2), l = prod_{k=1}^{P-1} 2 z_k, b = 1 + sum_{k=1}^{P-1} 1 / prod_{j=1}^{k} 2 z_j:
// the main set's point w lies near c0 + s w, which is where Newton's method
// starts for the minibrot on the antenna.
#include "location_finder.h"
#include "mpfr_complex.h"

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

struct bench_location {
    const char* name;
    int steps;             // of the walk from the period-7 nucleus
    int antenna_steps;     // times the minibrot on the antenna is taken: each triples the period
    long precision;        // bits: the view's precision and some to spare
};

const bench_location bench_locations[] = {
    {"minibrots near 1e-227", 147, 1, 900},
    {"minibrots near 1e-1000", 661, 1, 3450},
    {"zoom to 1e-300", 197, 0, 1150},
    {"period 658287 near 1e-238", 147, 7, 1000},
};

// The main set's period-3 minibrot, on its antenna.
constexpr double antenna_minibrot = -1.7548776662466927;

// a <- 1 / a.
void invert(mpfr_complex& a)
{
    const mpfr_prec_t p = mpfr_get_prec(a.re);
    mpfr_number modulus(p), t(p);
    mpfr_sqr(modulus, a.re, MPFR_RNDN);
    mpfr_sqr(t, a.im, MPFR_RNDN);
    mpfr_add(modulus, modulus, t, MPFR_RNDN);
    mpfr_div(a.re, a.re, modulus, MPFR_RNDN);
    mpfr_div(a.im, a.im, modulus, MPFR_RNDN);
    mpfr_neg(a.im, a.im, MPFR_RNDN);
}

// The complex size of the minibrot of period `period` at nucleus c.
mpfr_complex minibrot_size(const mpfr_complex& c, int period)
{
    const mpfr_prec_t p = mpfr_get_prec(c.re);
    mpfr_complex z(p), l(p), b(p), t(p);
    mpfr_set_ui(z.re, 0, MPFR_RNDN);
    mpfr_set_ui(z.im, 0, MPFR_RNDN);
    mpfr_set_ui(l.re, 1, MPFR_RNDN);
    mpfr_set_ui(l.im, 0, MPFR_RNDN);
    mpfr_set_ui(b.re, 1, MPFR_RNDN);
    mpfr_set_ui(b.im, 0, MPFR_RNDN);
    for (int k = 1; k < period; ++k) {
        multiply(z, z, z);
        mpfr_add(z.re, z.re, c.re, MPFR_RNDN);
        mpfr_add(z.im, z.im, c.im, MPFR_RNDN);
        multiply(l, l, z);
        mpfr_mul_2ui(l.re, l.re, 1, MPFR_RNDN);
        mpfr_mul_2ui(l.im, l.im, 1, MPFR_RNDN);
        mpfr_set(t.re, l.re, MPFR_RNDN);
        mpfr_set(t.im, l.im, MPFR_RNDN);
        invert(t);
        mpfr_add(b.re, b.re, t.re, MPFR_RNDN);
        mpfr_add(b.im, b.im, t.im, MPFR_RNDN);
    }
    multiply(t, l, l);
    multiply(t, t, b);
    invert(t);
    return t;
}

}  // namespace

// With an argument, only the locations whose name contains it.
int main(int argc, char** argv)
{
    for (const bench_location& location : bench_locations) {
        if (argc > 1 && std::strstr(location.name, argv[1]) == nullptr)
            continue;
        const long p = location.precision;
        const std::optional<found_point> point = find_misiurewicz(2, 2, 2, "0.01", "1.01", p);
        const std::optional<found_point> start = point ? find_nucleus(2, 7, "-0.007", "1.0036", p) : std::nullopt;
        std::optional<found_point> found =
            start ? walk_to_misiurewicz(2, *point, 2, 2, *start, 7, location.steps, p) : std::nullopt;
        int period = 7 + 2 * location.steps;
        for (int k = 0; found && k < location.antenna_steps; ++k) {
            mpfr_complex c(p), guess(p);
            set_text(c.re, found->re);
            set_text(c.im, found->im);
            const mpfr_complex size = minibrot_size(c, period);
            mpfr_set_d(guess.re, antenna_minibrot, MPFR_RNDN);
            mpfr_set_ui(guess.im, 0, MPFR_RNDN);
            multiply(guess, guess, size);
            mpfr_add(guess.re, guess.re, c.re, MPFR_RNDN);
            mpfr_add(guess.im, guess.im, c.im, MPFR_RNDN);
            mpfr_printf("%s: the period-%d minibrot has size %.4Re %+.4Re i\n", location.name, period, size.re.get(),
                        size.im.get());
            std::fflush(stdout);
            period *= 3;
            found = find_nucleus(2, period, decimal_text(guess.re), decimal_text(guess.im), p);
        }
        if (found && location.antenna_steps > 1) {
            mpfr_complex c(p);
            set_text(c.re, found->re);
            set_text(c.im, found->im);
            const mpfr_complex size = minibrot_size(c, period);
            mpfr_printf("%s: the period-%d minibrot has size %.4Re %+.4Re i\n", location.name, period, size.re.get(),
                        size.im.get());
        }
        if (!found) {
            std::printf("%s: Newton's method did not converge\n", location.name);
            return 1;
        }
        std::printf("%s: period %d\nre %s\nim %s\n", location.name, period,
                    found->re.c_str(), found->im.c_str());
        std::fflush(stdout);
    }
    return 0;
}
