// diag/diag.h — diagnostic printers, the location line and fatal exits.
#pragma once

#include <cstdio>

#include "hull/hull.h"

extern FILE* diag_stream;  // standard error once the pipeline has run
extern FILE* out_stream;   // standard output once the pipeline has run

// The stream reports go to: diag_stream, or standard error while nobody has
// set it yet (the engine may run outside the pipeline, in tests and benchmarks).
FILE* diag_file();

// Prints the formatted message on the diagnostic stream, flushes it and ends
// the process with exit status 1.
[[noreturn]] void fatal_error(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The location line of an internal error report: "<source path> line <n> \n".
// __FILE__ is repo-relative (the build maps the source directory away).
#define LOCATION_LINE(stream) fprintf((stream), "%s line %d \n", __FILE__, __LINE__)

// Printers.  Each writes to the stream it is given.
typedef void (*neighbor_printer_f)(FILE* stream, neighbor* n);

void dump_coords(FILE* stream, int n, const double* x);        // "%g  " each, or "NULL"
void dump_coords_exact(FILE* stream, int n, const double* x);  // "%.20g  " each, or "NULL"
void dump_site(site p, FILE* stream);
void dump_simplex_id(FILE* stream, simplex* s);
void dump_vertex(FILE* stream, neighbor* n);
void dump_basis(FILE* stream, basis_s* b);
void dump_neighbor(FILE* stream, neighbor* n);
int dump_facet(FILE* stream, simplex* s, neighbor_printer_f printer);
// A null s only remembers printer; a null printer uses the remembered one.
int dump_simplex(simplex* s, FILE* stream, neighbor_printer_f printer);
// A visit_f: a non-null stream is remembered; a non-null s is printed with
// dump_simplex on the remembered stream.  Always returns null.
void* dump_simplex_to(simplex* s, void* stream);
// Every simplex reachable from root, in walk_all order.
void dump_triangulation(simplex* root, FILE* stream, neighbor_printer_f printer);
