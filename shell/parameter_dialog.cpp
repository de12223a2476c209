#include "parameter_dialog.h"

void open_parameter_dialog(CFractal&) {}
