#!/usr/bin/env bash
# Fails when a library meant to be GL-free reaches GL or the windows:
#   check_gl_free.sh ARCHIVE... [-- SOURCE...]
# Every archive's undefined symbols are checked for GL, GLU, GLUT and GLX
# entry points and for the window registry's names (the GL floor defines
# those); every source is checked for a GL header or app/windows.h.
set -u
archives=()
sources=()
seen_dashes=0
for a in "$@"; do
  if [ "$a" = "--" ]; then seen_dashes=1; continue; fi
  if [ $seen_dashes -eq 0 ]; then archives+=("$a"); else sources+=("$a"); fi
done
gl_symbols='^(gl[A-Z]|glu[A-Z]|glut[A-Z]|glX|__glut)'
window_names='^(view3d_win|about_win|top_win|panel_win|points_win|redisplay_windows|create_windows|init_scene|axis_quadric|arrow_quadric)$'
status=0
for a in "${archives[@]}"; do
  if [ ! -f "$a" ]; then echo "no such archive: $a"; status=1; continue; fi
  bad=$(nm --undefined-only --demangle=none "$a" | awk 'NF>=2 {print $2}' | sort -u |
        sed 's/^_Z[0-9]*//' | grep -E "$gl_symbols|$window_names")
  # Mangled C++ names: take the identifier after _Z<len>.
  bad+=$(nm --undefined-only "$a" | awk 'NF>=2 {print $2}' | sort -u |
         sed -n 's/^_Z\([0-9]\+\)\(.*\)/\1 \2/p' |
         while read -r len rest; do echo "${rest:0:$len}"; done |
         grep -E "$gl_symbols|$window_names")
  if [ -n "$bad" ]; then
    echo "$(basename "$a") uses what only the GL floor may use:"
    echo "$bad" | sort -u | sed 's/^/  /'
    status=1
  fi
done
for s in "${sources[@]}"; do
  hits=$(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](GL/|GLES|EGL/|app/windows\.h)' "$s")
  if [ -n "$hits" ]; then
    echo "$s includes what only the GL floor may include:"
    echo "$hits" | sed 's/^/  /'
    status=1
  fi
done
[ $status -eq 0 ] && echo "GL-free: ${#archives[@]} archives, ${#sources[@]} sources"
exit $status
