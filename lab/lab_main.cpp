// zelmor-lab's entry point: zelmor's windows with the lab's keys.
//
//   zelmor-lab [--] [FILE]
//
// GLUT takes its own options (-display, -geometry ...) first.  Anything
// else that begins with '-' is a usage error (status 2, the usage line on
// standard error), never silently dropped: "zelmor-lab -pts.txt" would
// otherwise start empty and S would later save to no file at all.  "--"
// ends the options, so "zelmor-lab -- -pts.txt" loads that file; "-" alone
// is a file name.
#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/safe_write.h"
#include "lab/edit.h"
#include "lab/export_state.h"
#include "lab/open_list.h"
#include "lab/lab.h"
#include "lab/weights.h"

namespace {

const char kUsage[] = "usage: zelmor-lab [--] [FILE]";

[[noreturn]] void usage_error(const std::string& why) {
  std::fprintf(stderr, "zelmor-lab: %s\n%s\n", why.c_str(), kUsage);
  std::fflush(stderr);
  std::exit(2);
}

// FILE from what glutInit left of the command line ("" when none).
std::string file_argument(int argc, char** argv) {
  std::string file;
  bool have = false;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (options && std::strcmp(a, "--") == 0) {
      options = false;
      continue;
    }
    if (options && a[0] == '-' && a[1] != '\0') usage_error(std::string("unknown option ") + a);
    if (have) usage_error(std::string("more than one FILE given: ") + file + ", " + a);
    file = a;
    have = true;
  }
  return file;
}

// A save killed half way leaves a temporary file beside its target: the
// working folder (".ZELMOR", the s saves) and FILE's folder.
void sweep_where_the_lab_writes(const std::string& file) {
  sweep_stale_temps(".");
  std::string target;
  if (!file.empty() && write_target(file.c_str(), &target) == 0) {
    const std::string dir = directory_part(target);
    if (dir != ".") sweep_stale_temps(dir.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  const std::string file = file_argument(argc, argv);
  sweep_where_the_lab_writes(file);
  glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
  lab_lessons_init();
  // The command line is read above; the keys and mouse hooks get none of it.
  lab_edit_init(1, argv);
  lab_point_file = file;
  lab_weights_init();
  lab_export_init();
  lab_open_list_init();
  lab_create_windows();
  lab_edit_start();
  glutMainLoop();
  return 0;
}
