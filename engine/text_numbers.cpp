#include "text_numbers.h"
