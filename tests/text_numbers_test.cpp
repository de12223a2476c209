#include "text_numbers.h"

#include <gtest/gtest.h>
