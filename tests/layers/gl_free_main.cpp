// The GL line as a link: this program links every GL-free archive whole
// (tests/layers/CMakeLists.txt) and nothing else, no GL, GLU, GLUT or window
// code, so that any call from a GL-free floor into a GL floor, or into GL
// itself, leaves a symbol undefined and fails the build.  Running it only
// shows that it was built.
int main() { return 0; }
