#include "formulas.h"
#include <gtest/gtest.h>
