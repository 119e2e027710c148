// web/gl/list_store.h — display lists as stored commands: what the entry
// points record while a list is compiled.  Replaying them is the top floor's
// (web/gl/lists.cpp), through the same entry points.
#pragma once

#include "web/gl/state.h"

namespace zelmor_web {

enum op_code {
  OP_BEGIN, OP_END, OP_VERTEX, OP_COLOUR, OP_NORMAL, OP_LINE_WIDTH, OP_POINT_SIZE,
  OP_ENABLE, OP_DISABLE, OP_TRANSLATE, OP_ROTATE, OP_SCALE, OP_PUSH, OP_POP,
  OP_IDENTITY, OP_MATRIX_ROW, OP_MULT, OP_CALL, OP_BITMAP, OP_BITMAP_MOVE,
  OP_SOLID_BEGIN, OP_SOLID_END
};

// Records the call in the list being compiled.  True when the call is only
// recorded; false when it should run now (no list is compiled, or the list
// is compiled and executed).
bool record(int op, float a = 0, float b = 0, float c = 0, float d = 0);

// The list's commands, or nullptr for an id that names no list.
const std::vector<list_cmd>* list_commands(unsigned id);

// The number of times list id was made or deleted.
unsigned list_version(unsigned id);

// Empties list id (made anew or deleted), growing the store to hold it.
void reset_list(unsigned id);

}  // namespace zelmor_web
