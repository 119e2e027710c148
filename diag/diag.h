// diag/diag.h — diagnostic printers, the location line and fatal exits.
#pragma once

#include <cstdio>

extern FILE* diag_stream;  // standard error once the pipeline has run
extern FILE* out_stream;   // standard output once the pipeline has run
