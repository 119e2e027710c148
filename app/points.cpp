// Point set, display-record lists and the lift rule.
#include <cstdio>
#include <cstdlib>

#include "app/app.h"
#include "diag/diag.h"

point_rec plane_table[MAX_POINTS];
point_rec point_table[MAX_POINTS];
int point_count = 0;
int need_recompute = 0;

rec_list* tri_list = nullptr;
rec_list* edge_list = nullptr;

namespace {

// The lists are small process-wide structures; running out of memory for one
// node leaves nothing sensible to draw, so it ends the program plainly.
void* alloc_or_die(size_t bytes, const char* what) {
  void* p = std::malloc(bytes);
  if (p == nullptr) fatal_error("out of memory allocating %s\n", what);
  return p;
}

}  // namespace

double lifted_height(double x, double y) {
  // Widen the float weight first and add it last: the same order everywhere
  // keeps a point's height identical whichever handler computed it.
  return x * x + y * y + static_cast<double>(weight);
}

int add_point(const point_rec& p) {
  if (point_count >= MAX_POINTS) {
    std::printf("point table full: at most %d points\n", MAX_POINTS);
    std::fflush(stdout);
    return 0;
  }
  plane_table[point_count] = p;
  point_table[point_count] = point_rec{p.x, p.y, lifted_height_of(point_count, p.x, p.y), p.w};
  ++point_count;
  return 1;
}

rec_list* new_rec_list() {
  auto* list = static_cast<rec_list*>(alloc_or_die(sizeof(rec_list), "a record list"));
  list->head = nullptr;
  list->tail = nullptr;
  return list;
}

void rec_list_append(rec_list* list, void* record) {
  auto* node = static_cast<rec_node*>(alloc_or_die(sizeof(rec_node), "a list node"));
  node->data = record;
  node->next = nullptr;
  node->prev = list->tail;
  if (list->tail == nullptr) {
    list->head = node;
  } else {
    list->tail->next = node;
  }
  list->tail = node;
}

void free_rec_list(rec_list* list) {
  if (list == nullptr) return;
  rec_node* node = list->head;
  while (node != nullptr) {
    rec_node* next = node->next;
    std::free(node);
    node = next;
  }
  std::free(list);
}
