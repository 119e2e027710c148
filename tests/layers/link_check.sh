#!/usr/bin/env bash
# The negative control of the GL line as a link:
#   link_check.sh CXX SOURCE_ROOT -- ARCHIVE...
# Links tests/layers/gl_free_main.cpp with every ARCHIVE whole, as the
# layers_gl_free_link program is linked, and expects it to link; then, for
# each call across the line in gl_line_breach.cpp, adds an archive holding
# that call and expects the link to fail on that very symbol.  Fails when
# the clean link fails (the check would prove nothing) or a breach links.
set -u
cxx=$1
root=$2
shift 3
archives=("$@")
here=$root/tests/layers
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
flags=(-std=c++20 -I"$root")

link() {  # link OUTPUT EXTRA_ARCHIVE...: the program with the archives whole
  local out=$1
  shift
  "$cxx" "$work/main.o" -o "$out" -Wl,--whole-archive "${archives[@]}" "$@" -Wl,--no-whole-archive -lm \
    2>"$out.log"
}

"$cxx" "${flags[@]}" -c "$here/gl_free_main.cpp" -o "$work/main.o" || exit 1
if ! link "$work/clean"; then
  echo "the GL-free archives do not link on their own:"
  cat "$work/clean.log"
  exit 1
fi

# BREACH and the symbol its link must miss.
cases=("1 draw_hull_faces" "2 redisplay_windows" "3 lab_create_windows" "4 glBegin")
status=0
for c in "${cases[@]}"; do
  read -r n symbol <<<"$c"
  obj=$work/breach$n.o
  lib=$work/libbreach$n.a
  "$cxx" "${flags[@]}" -DBREACH="$n" -c "$here/gl_line_breach.cpp" -o "$obj" || exit 1
  ar rcs "$lib" "$obj"
  if link "$work/breach$n" "$lib"; then
    echo "a GL-free archive calling $symbol links: the GL line has a hole"
    status=1
  elif ! grep -q "undefined reference to \`$symbol" "$work/breach$n.log"; then
    echo "the link with a call to $symbol failed, but not on it:"
    cat "$work/breach$n.log"
    status=1
  else
    echo "a call to $symbol fails the link, as it must"
  fi
done
exit $status
