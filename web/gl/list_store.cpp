#include "web/gl/list_store.h"

namespace zelmor_web {

bool record(int op, float a, float b, float c, float d) {
  context& k = *current;
  if (k.compiling == 0) return false;
  k.lists[k.compiling - 1].push_back(list_cmd{op, {a, b, c, d}});
  return !k.execute_while_compiling;
}

const std::vector<list_cmd>* list_commands(unsigned id) {
  const context& c = *current;
  if (id == 0 || id > c.lists.size()) return nullptr;
  return &c.lists[id - 1];
}

unsigned list_version(unsigned id) {
  const context& c = *current;
  return id != 0 && id <= c.list_versions.size() ? c.list_versions[id - 1] : 0;
}

void reset_list(unsigned id) {
  context& c = *current;
  if (id == 0) return;
  if (id > c.lists.size()) c.lists.resize(id);
  if (id > c.list_versions.size()) c.list_versions.resize(id, 0);
  c.lists[id - 1].clear();
  ++c.list_versions[id - 1];
}

}  // namespace zelmor_web
