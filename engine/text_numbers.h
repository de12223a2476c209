// Conversions between the dialog's edit texts and numbers.
#pragma once
