// The lab's status message and per-point data.
#include <cstdarg>
#include <cstdio>

#include "lab/lab.h"

double lab_point_weight[MAX_POINTS];

namespace {
char status_text[LAB_STATUS_MAX] = "";
int status_serial = 0;
}  // namespace

void lab_status(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(status_text, sizeof status_text, format, args);
  va_end(args);
  ++status_serial;
}

int lab_status_serial() { return status_serial; }

const char* lab_status_text() { return status_text; }
