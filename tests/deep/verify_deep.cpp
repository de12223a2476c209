// The oracle's table of deep locations as a report: for every location and
// every way of rendering it (delta type, approximation table on and off)
// one line with the view and how many of the oracle's decidable pixels get
// its count, then `N passed, N failed`. A mode passes when every one does,
// as in the tests; a location whose view cannot be compared fails as one line.
// Exit status 1 when anything failed.
#include "location_check.h"
#include "test_locations.h"

#include <cstdio>

int main()
{
    int passed = 0;
    int failed = 0;
    for (const test_location& location : deep_test_locations()) {
        const location_check check = check_location(location);
        const std::string size = std::to_string(location.width) + "x" + std::to_string(location.height);
        const auto head = [&] {
            std::printf("%-38s r %-9s z^%d  %-5s  ", location.name, location.radius, location.exponent, size.c_str());
        };
        head();
        if (!check.problem.empty()) {
            std::printf("FAILED: %s\n", check.problem.c_str());
            ++failed;
            std::fflush(stdout);
            continue;
        }
        for (const location_mode& mode : check.modes) {
            if (&mode != &check.modes.front())
                head();
            const oracle_agreement& a = mode.agreement;
            const double share = a.decidable > 0 ? 100.0 * static_cast<double>(a.agreeing) / a.decidable : 0.0;
            const char* skips = mode.use_returns ? "returns" : mode.use_table ? "table" : "plain";
            std::printf("%-7s %5lld returns  %-8s  %5lld decidable  %5lld agree  %7.3f %%  %s\n", skips,
                        static_cast<long long>(mode.returns), delta_type_name(mode.type), static_cast<long long>(a.decidable),
                        static_cast<long long>(a.agreeing), share, mode.agrees() ? "all agree" : "SOME DISAGREE");
            ++(mode.agrees() ? passed : failed);
        }
        std::fflush(stdout);
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
