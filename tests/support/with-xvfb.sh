#!/usr/bin/env bash
# Runs one command under a private Xvfb of its own and returns its status.
# Xvfb picks a free display itself (-displayfd), so tests may run in parallel;
# -noreset keeps a client that connects after the last one left from failing.
set -u
if ! command -v Xvfb >/dev/null 2>&1; then
  echo "with-xvfb: Xvfb is not installed (Debian package xvfb)" >&2
  exit 77
fi
# Listing the tests needs no display.
for a in "$@"; do
  case "$a" in --gtest_list_tests) exec "$@" ;; esac
done
# A test that needs another screen (a projector's 1920 x 1080) names it in
# ZELMOR_XVFB_SCREEN, as WIDTHxHEIGHTxDEPTH.
screen="${ZELMOR_XVFB_SCREEN:-1280x1024x24}"
fifo=$(mktemp -u /tmp/zelmor-xvfb.XXXXXX)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$fifo" 2>/dev/null &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null; wait $xvfb_pid 2>/dev/null; rm -f "$fifo"' EXIT
display=""
read -r -t 20 display <"$fifo" || true
if [ -z "$display" ]; then
  echo "with-xvfb: Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=":$display"
"$@"
exit $?
