// A program made of the page's GL floors up to one of them, each archive
// whole (tests/web_gl/CMakeLists.txt): it links only if no floor calls one
// above it.  Running it only shows that it was built.
int main() { return 0; }
