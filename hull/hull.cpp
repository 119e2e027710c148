// Simplex pool, insertion steps, traversals and adjacency.
//
// Index
//   simplex pool ........ simplex_take, simplex_copy, hull_free
//   stacks .............. shared growth rule of the search and walk stacks
//   insertion steps ..... hull_grow, site_fetch, visible_find, horizon_cone,
//                         horizon_link, dim_extend
//   traversals .......... walk_gen, walk_all, walk_facets
//   adjacency ........... op_simp, op_vert
#include <cassert>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "diag/diag.h"
#include "hull/hull.h"

int num_simplex_blocks;
size_t simplex_bytes;
int walk_stamp = -1;
int search_stack_capacity;
int walk_stack_capacity;

namespace {

// ===========================================================================
// Simplex pool (carved lazily, like the basis_s pool in ch.cpp; simplices
// are never released singly, so there is no free list to consult).
// ===========================================================================

void* simplex_blocks[max_blocks];
char* simplex_carve;
char* simplex_carve_end;

void simplex_add_block() {
  // clang-format off: the expression text is part of the failure message
  assert(num_simplex_blocks<max_blocks);
  // clang-format on
  void* xbt = malloc(records_per_block * simplex_bytes);
  simplex_blocks[num_simplex_blocks++] = xbt;
  if (!xbt) {
    FILE* f = diag_file();
    fprintf(f, "num_simplex_blocks=%G\n", static_cast<double>(num_simplex_blocks));
    fflush(f);
    assert(xbt);
  }
  simplex_carve = static_cast<char*>(xbt);
  simplex_carve_end = simplex_carve + records_per_block * simplex_bytes;
}

// ===========================================================================
// Stacks
// ===========================================================================
//
// Both stacks keep 9 entries of room beyond their capacity, enough for the at
// most MAXDIM+1 pushes that happen between two capacity checks.

constexpr int stack_room = 9;

// Doubles *capacity and regrows *stack to match.  A stack that cannot grow
// ends the process with a one-line report: going on would write past it.
void stack_grow(simplex*** stack, int* capacity, const char* what) {
  if (*capacity > INT_MAX / 2 - stack_room)
    fatal_error("out of memory: the %s stack cannot grow past %d entries\n", what, *capacity);
  int wanted = *capacity * 2;
  void* grown = realloc(*stack, (static_cast<size_t>(wanted) + stack_room) * sizeof(simplex*));
  if (!grown) fatal_error("out of memory: the %s stack cannot grow to %d entries\n", what, wanted);
  *stack = static_cast<simplex**>(grown);
  *capacity = wanted;
}

void stack_create(simplex*** stack, int* capacity, int initial, const char* what) {
  void* room = malloc((static_cast<size_t>(initial) + stack_room) * sizeof(simplex*));
  if (!room) fatal_error("out of memory: no room for the %s stack of %d entries\n", what, initial);
  *stack = static_cast<simplex**>(room);
  *capacity = initial;
}

simplex** search_stack;
simplex** walk_stack;

// The last outer simplex made by the current insertion's horizon_cone.
simplex* last_outer;

void cone_from(simplex* seen);

// ===========================================================================
// Walk tests and visitors
// ===========================================================================

int cross_any(simplex*, int, void*) { return 1; }
int cross_facet_entries(simplex*, int index, void*) { return index >= 0; }
void* first_outer(simplex* s, void*) { return s->peak.vert ? nullptr : s; }

}  // namespace

// ===========================================================================
// Simplex pool, public part
// ===========================================================================

simplex* simplex_take() {
  if (simplex_carve == simplex_carve_end) simplex_add_block();
  simplex* s = reinterpret_cast<simplex*>(simplex_carve);
  simplex_carve += simplex_bytes;
  memset(s, 0, simplex_bytes);
  s->next = simplex_carve < simplex_carve_end ? reinterpret_cast<simplex*>(simplex_carve) : nullptr;
  return s;
}

void simplex_copy(simplex* to, const simplex* from) {
  memcpy(to, from, simplex_bytes);
  if (to->peak.basis) basis_ref(to->peak.basis);
  for (int i = 0; i < rdim; i++)
    if (to->neighbors[i].basis) basis_ref(to->neighbors[i].basis);
}

void hull_free() {
  basis_pool_release_all();
  for (int i = 0; i < num_simplex_blocks; i++) free(simplex_blocks[i]);
  num_simplex_blocks = 0;
  simplex_carve = simplex_carve_end = nullptr;
}

// ===========================================================================
// Insertion steps
// ===========================================================================

void hull_grow(simplex* root) {
  while (cdim < rdim) {
    cur_site = site_fetch();
    if (!cur_site) return;
    if (flat_test(root, cur_site))
      dim_extend(root);
    else
      horizon_link(horizon_cone(visible_find(root)));
  }
  while ((cur_site = site_fetch())) horizon_link(horizon_cone(visible_find(root)));
}

site site_fetch() {
  site p = get_site();
  if (!p) return nullptr;
  if (exact_sites) exact_site_check(p);
  int num = site_num(p);
  // Stamps of 2 and more belong to insertions; a number too large to add 2
  // to shares the largest stamp rather than overflow.
  site_stamp = num < INT_MAX - 2 ? num + 2 : INT_MAX;
  return p;
}

simplex* visible_find(simplex* root) {
  if (!search_stack) stack_create(&search_stack, &search_stack_capacity, 8, "search");
  int count = 0;
  search_stack[count++] = root->peak.simp;
  root->visit_stamp = site_stamp;
  if (!sees(cur_site, root))
    for (int i = 0; i < cdim; i++) search_stack[count++] = root->neighbors[i].simp;
  while (count) {
    if (count > search_stack_capacity) stack_grow(&search_stack, &search_stack_capacity, "search");
    simplex* s = search_stack[--count];
    // The search is bound by memory latency on large hulls: start loading
    // the next candidate's normal while this one is tested.
    if (count) __builtin_prefetch(search_stack[count - 1]->normal);
    if (s->visit_stamp == site_stamp) continue;
    s->visit_stamp = site_stamp;
    if (!sees(cur_site, s)) continue;
    if (!s->peak.vert) return s;
    for (int i = 0; i < cdim; i++) {
      simplex* n = s->neighbors[i].simp;
      __builtin_prefetch(n);
      search_stack[count++] = n;
    }
  }
  return nullptr;
}

// Returns the last outer simplex this insertion created, or null when it
// created none.  (A value left over from an earlier insertion would hand
// horizon_link a facet whose peak is not the current site.)
simplex* horizon_cone(simplex* seen) {
  last_outer = nullptr;
  if (!seen) return nullptr;
  cone_from(seen);
  return last_outer;
}

namespace {

// Makes seen an interior simplex with peak cur_site, recursing into the
// neighbours that also see it, and gives every horizon ridge a new facet.
void cone_from(simplex* seen) {
  seen->peak.vert = cur_site;
  for (int i = 0; i < cdim; i++) {
    simplex* n = seen->neighbors[i].simp;
    if (n->visit_stamp != site_stamp) {
      n->visit_stamp = site_stamp;
      if (sees(cur_site, n)) cone_from(n);
    }
    if (n->peak.vert) continue;
    simplex* ns = simplex_take();
    // clang-format off: the expression text is part of the failure message
    assert(ns);
    // clang-format on
    simplex_copy(ns, seen);
    ns->visit_stamp = 0;
    ns->peak.vert = nullptr;
    ns->normal = nullptr;
    ns->side = 0;
    ns->peak.simp = seen;
    basis_release(&ns->neighbors[i].basis);
    ns->neighbors[i].vert = cur_site;
    op_simp(n, seen)->simp = ns;
    seen->neighbors[i].simp = ns;
    last_outer = ns;
  }
}

}  // namespace

void horizon_link(simplex* s) {
  if (!s) return;
  site p = cur_site;
  // clang-format off: the expression text is part of the failure message
  assert(!s->peak.vert && s->peak.simp->peak.vert==p && !op_vert(s,p)->simp->peak.vert);
  // clang-format on
  if (s->visit_stamp == site_stamp) return;
  s->visit_stamp = site_stamp;
  simplex* seen = s->peak.simp;
  site x0 = op_simp(seen, s)->vert;
  for (int i = 0; i < cdim; i++) {
    site xf = s->neighbors[i].vert;
    if (xf == p) continue;
    simplex* sb = seen;
    simplex* sf = s->neighbors[i].simp;
    site xb = x0;
    if (!sf->peak.vert) {
      sf = op_vert(seen, xf)->simp;
      if (sf->peak.vert) continue;
    } else {
      // Rotate around the ridge through the interior simplices until the
      // first outer one: the new facet across the ridge.
      do {
        xf = xb;
        xb = op_simp(sf, sb)->vert;
        sb = sf;
        sf = op_vert(sb, xf)->simp;
      } while (sf->peak.vert);
    }
    s->neighbors[i].simp = sf;
    op_vert(sf, xb)->simp = s;
    horizon_link(sf);
  }
}

simplex* dim_extend(simplex* s) {
  const int k = cdim - 1;
  if (s->visit_stamp == site_stamp) return s->peak.vert ? s->neighbors[k].simp : s;
  s->visit_stamp = site_stamp;
  s->neighbors[k].vert = cur_site;
  basis_release(&s->normal);
  s->side = 0;
  basis_release(&s->neighbors[0].basis);
  if (!s->peak.vert) {
    s->neighbors[k].simp = dim_extend(s->peak.simp);
    return s;
  }
  simplex* ns = simplex_take();
  // clang-format off: the expression text is part of the failure message
  assert(ns);
  // clang-format on
  simplex_copy(ns, s);
  s->neighbors[k].simp = ns;
  ns->peak.vert = nullptr;
  ns->peak.simp = s;
  ns->neighbors[k] = s->peak;
  if (ns->neighbors[k].basis) basis_ref(ns->neighbors[k].basis);
  for (int i = 0; i < cdim; i++) ns->neighbors[i].simp = dim_extend(ns->neighbors[i].simp);
  return ns;
}

// ===========================================================================
// Traversals
// ===========================================================================

void* walk_gen(simplex* start, visit_f visit, test_f test) {
  // Walk stamps only need to differ from those of the walks of the current
  // hull; after 2^31 walks they start over rather than overflow.
  if (walk_stamp == INT_MIN) walk_stamp = -1;
  walk_stamp--;
  if (!walk_stack) stack_create(&walk_stack, &walk_stack_capacity, 2000, "walk");
  int count = 0;
  if (start) walk_stack[count++] = start;
  while (count) {
    if (count > walk_stack_capacity) stack_grow(&walk_stack, &walk_stack_capacity, "walk");
    simplex* t = walk_stack[--count];
    if (!t || t->visit_stamp == walk_stamp) continue;
    t->visit_stamp = walk_stamp;
    void* r = visit(t, nullptr);
    if (r) return r;
    for (int i = -1; i < cdim; i++) {
      simplex* n = i < 0 ? t->peak.simp : t->neighbors[i].simp;
      if (n && n->visit_stamp != walk_stamp && test(t, i, nullptr)) walk_stack[count++] = n;
    }
  }
  return nullptr;
}

void* walk_all(simplex* start, visit_f visit) { return walk_gen(start, visit, cross_any); }

void* walk_facets(simplex* root, visit_f visit) {
  simplex* facet = static_cast<simplex*>(walk_all(root, first_outer));
  return walk_gen(facet, visit, cross_facet_entries);
}

// ===========================================================================
// Adjacency
// ===========================================================================

neighbor* op_simp(simplex* a, simplex* b) {
  for (int i = 0; i < cdim; i++)
    if (a->neighbors[i].simp == b) return &a->neighbors[i];
  FILE* f = diag_file();
  fprintf(f, "adjacency failure,op_simp:\n");
  LOCATION_LINE(f);
  fflush(f);
  dump_simplex(a, f, dump_neighbor);
  dump_simplex_to(b, f);
  fprintf(f, "---------------------\n");
  dump_triangulation(a, f, dump_neighbor);
  exit(1);
}

neighbor* op_vert(simplex* a, site x) {
  for (int i = 0; i < cdim; i++)
    if (a->neighbors[i].vert == x) return &a->neighbors[i];
  FILE* f = diag_file();
  fprintf(f, "adjacency failure,op_vert:\n");
  LOCATION_LINE(f);
  fflush(f);
  dump_simplex(a, f, dump_neighbor);
  dump_site(x, f);
  fprintf(f, "---------------------\n");
  dump_triangulation(a, f, dump_neighbor);
  exit(1);
}
