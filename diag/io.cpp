// Diagnostic printers and fatal exits.
//
// The printers write a fixed text form that the engine's failure reports are
// made of; the flushes are part of that form (a report must survive the exit
// that follows it, and standard output is flushed where a vertex number is
// printed so that the two console streams interleave sensibly).
#include "diag/diag.h"

#include <cassert>
#include <cstdarg>
#include <cstdlib>

FILE* diag_stream = nullptr;
FILE* out_stream = nullptr;

namespace {
// Remembered by the set-up calls of dump_simplex and dump_simplex_to.
neighbor_printer_f remembered_printer = dump_neighbor;
FILE* remembered_stream = nullptr;
}  // namespace

FILE* diag_file() { return diag_stream ? diag_stream : stderr; }

void fatal_error(const char* format, ...) {
  FILE* f = diag_file();
  va_list args;
  va_start(args, format);
  vfprintf(f, format, args);
  va_end(args);
  fflush(f);
  exit(1);
}

void dump_coords(FILE* stream, int n, const double* x) {
  if (!x) {
    fprintf(stream, "NULL");
    return;
  }
  for (int i = 0; i < n; i++) fprintf(stream, "%g  ", x[i]);
}

void dump_coords_exact(FILE* stream, int n, const double* x) {
  if (!x) {
    fprintf(stream, "NULL");
    return;
  }
  for (int i = 0; i < n; i++) fprintf(stream, "%.20g  ", x[i]);
}

void dump_site(site p, FILE* stream) {
  dump_coords(stream, pdim, p);
  fprintf(stream, "\n");
}

void dump_simplex_id(FILE* stream, simplex* s) {
  fprintf(stream, "simplex ");
  if (s)
    fprintf(stream, "%p  ", static_cast<void*>(s));
  else
    fprintf(stream, "NULL ");
}

void dump_vertex(FILE* stream, neighbor* n) {
  // clang-format off: the expression text is part of the failure message
  assert(site_num!=NULL);
  // clang-format on
  if (n->vert)
    fprintf(stream, "%d ", site_num(n->vert));
  else
    fprintf(stream, "NULL vert ");
  fflush(stdout);
}

void dump_basis(FILE* stream, basis_s* b) {
  if (!b) {
    fprintf(stream, "NULL basis ");
    fflush(stdout);
    return;
  }
  if (b->scale_exp < 0) {  // zero_basis: the reference vertex has no vector
    fprintf(stream, "\nbasis computed");
    return;
  }
  fprintf(stream, "\n%p  %d \n b=", static_cast<void*>(b), b->scale_exp);
  dump_coords(stream, rdim, b->vec_b());
  fprintf(stream, "\n a= ");
  dump_coords_exact(stream, rdim, b->vec_a());
  fprintf(stream, "   ");
  fflush(stream);
}

void dump_neighbor(FILE* stream, neighbor* n) {
  if (!n) {
    fprintf(stream, "null neighbor\n");
    return;
  }
  dump_simplex_id(stream, n->simp);
  dump_vertex(stream, n);
  fprintf(stream, ":  ");
  fflush(stream);
  if (n->vert) {
    dump_coords(stream, pdim, n->vert);
    fflush(stream);
  }
  dump_basis(stream, n->basis);
  fflush(stream);
  fprintf(stream, "\n");
}

int dump_facet(FILE* stream, simplex* s, neighbor_printer_f printer) {
  for (int i = 0; i < cdim; i++) printer(stream, &s->neighbors[i]);
  fprintf(stream, "\n");
  fflush(stream);
  return 0;
}

int dump_simplex(simplex* s, FILE* stream, neighbor_printer_f printer) {
  if (printer) remembered_printer = printer;
  if (!s) return 0;
  dump_simplex_id(stream, s);
  fprintf(stream, "\n");
  fprintf(stream, "normal =");
  dump_basis(stream, s->normal);
  fprintf(stream, "\n");
  fprintf(stream, "peak =");
  remembered_printer(stream, &s->peak);
  fprintf(stream, "facet =\n");
  fflush(stream);
  return dump_facet(stream, s, remembered_printer);
}

void* dump_simplex_to(simplex* s, void* stream) {
  if (stream) remembered_stream = static_cast<FILE*>(stream);
  if (!s) return nullptr;
  dump_simplex(s, remembered_stream ? remembered_stream : diag_file(), nullptr);
  return nullptr;
}

void dump_triangulation(simplex* root, FILE* stream, neighbor_printer_f printer) {
  dump_simplex_to(nullptr, stream);
  dump_simplex(nullptr, nullptr, printer);
  walk_all(root, dump_simplex_to);
}
