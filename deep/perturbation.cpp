#include "perturbation.h"

template std::int32_t perturbed_escape_time<double>(const reference_orbit&, const bla_table*, complex_pair<double>,
                                                    std::int32_t, complex_pair<double>*);
template std::int32_t perturbed_escape_time<floatexp>(const reference_orbit&, const bla_table*, complex_pair<floatexp>,
                                                      std::int32_t, complex_pair<double>*);
