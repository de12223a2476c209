// Finds deep places of the escape-time sets of z -> z^p + c by Newton's
// method at arbitrary precision, for the table of test locations.
//
// A nucleus of period P is a root of z_P(c) = 0 with z_0 = 0 (the centre of
// a minibrot). A Misiurewicz point of preperiod k and period q is a root of
// z_{k+q}(c) = z_k(c): its orbit lands on a repelling cycle, so the
// iterations needed to resolve a view around it grow only with the log of
// its depth. Near such a point the set is asymptotically self-similar with
// the cycle's multiplier rho as the scale: minibrots of periods P, P + q,
// P + 2q, ... lie at distances shrinking by |rho| each, and walking that
// sequence (a guess scaled by 1 / rho, refined by Newton) reaches
// minibrots as deep and of periods as long as wanted.
#pragma once

#include <optional>
#include <string>

struct found_point {
    std::string re;  // decimal text to the precision asked for
    std::string im;
};

// The nucleus of the given period that Newton's method reaches from the guess.
std::optional<found_point> find_nucleus(int exponent, int period, const std::string& guess_re,
                                        const std::string& guess_im, long precision);

// The Misiurewicz point of the given preperiod and period that Newton's
// method reaches from the guess.
std::optional<found_point> find_misiurewicz(int exponent, int preperiod, int period, const std::string& guess_re,
                                            const std::string& guess_im, long precision);

// Walks the minibrots towards the Misiurewicz point (point, preperiod k,
// period q) from the nucleus `start` of period start_period, `steps` times;
// the result has period start_period + steps q.
std::optional<found_point> walk_to_misiurewicz(int exponent, const found_point& point, int preperiod, int period,
                                               const found_point& start, int start_period, int steps, long precision);
