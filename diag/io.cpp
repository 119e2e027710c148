// Diagnostic printers and fatal exits.
#include "diag/diag.h"

FILE* diag_stream = nullptr;
FILE* out_stream = nullptr;
