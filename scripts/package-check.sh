#!/usr/bin/env bash
# Builds ZELMOR's .deb, installs it into a fresh minimal Debian 12 root made
# with debootstrap (from the Debian mirror this machine's apt uses), and starts
# the installed program there under Xvfb.  Needs root.  Usage:
#   bash scripts/package-check.sh [ROOT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
root_dir=${1:-/tmp/zelmor-clean-root}

# The root must never be deleted while anything is mounted under it: a bind
# mount of /dev left behind would take the host's device nodes with it.
mounts_under() {
  local root
  root=$(realpath -m "$1")
  # Field 5 of mountinfo is the mount point (octal escapes for blanks).
  awk -v r="$root" '{ m = $5; gsub(/\\040/, " ", m); if (m == r || index(m, r "/") == 1) print m }' \
    /proc/self/mountinfo
}

# Ends every process whose root directory is the chroot (Xvfb, the program,
# anything apt left running): while one holds a mount, it cannot be unmounted.
stop_root_processes() {
  local root pids p
  root=$(realpath -m "$1")
  for signal in TERM KILL; do
    pids=()
    for p in /proc/[0-9]*; do
      [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && pids+=("${p#/proc/}")
    done
    [ ${#pids[@]} -eq 0 ] && return 0
    kill -"$signal" "${pids[@]}" 2>/dev/null || true
    sleep 1
  done
}

mounted=()
mount_in_root() {  # mount ARGS... TARGET, remembered for the clean-up
  mount "$@"
  mounted+=("${!#}")
}

cleanup() {
  local status=$? i left
  stop_root_processes "$root_dir"
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    for try in 1 2 3 4 5; do
      umount "${mounted[$i]}" 2>/dev/null && break
      sleep 1
    done
  done
  left=$(mounts_under "$root_dir")
  if [ -n "$left" ]; then
    echo "package-check: STILL MOUNTED under $root_dir (unmount before anything deletes it):" >&2
    echo "$left" >&2
    exit 1
  fi
  exit "$status"
}

remove_root() {
  local left
  left=$(mounts_under "$root_dir")
  if [ -n "$left" ]; then
    echo "package-check: refusing to delete $root_dir, something is mounted under it:" >&2
    echo "$left" >&2
    exit 1
  fi
  rm -rf --one-file-system "$root_dir"
}

trap cleanup EXIT
remove_root  # before anything else: a root with mounts under it stops the check at once

bash scripts/build.sh
(cd build && cpack -G DEB >/dev/null)
deb=$(ls -t build/zelmor_*.deb | head -n 1)
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n '/Depends/p'
dpkg-deb --contents "$deb" | awk '{print $6}'

command -v debootstrap >/dev/null || apt-get install -y -qq debootstrap
mirror=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
[ -n "$mirror" ] || mirror=$(awk '/^deb / {print $2; exit}' /etc/apt/sources.list)

debootstrap --variant=minbase bookworm "$root_dir" "$mirror" >/tmp/zelmor-debootstrap.log
mount_in_root -t proc proc "$root_dir/proc"
mount_in_root --bind /dev "$root_dir/dev"
cp "$deb" "$root_dir/tmp/zelmor.deb"
chroot "$root_dir" apt-get update -qq
chroot "$root_dir" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq /tmp/zelmor.deb xvfb x11-utils >/tmp/zelmor-chroot-apt.log
chroot "$root_dir" test -x /usr/bin/zelmor
chroot "$root_dir" test -x /usr/bin/zelmor-delaunay
chroot "$root_dir" test -f /usr/share/applications/zelmor.desktop
chroot "$root_dir" test -x /usr/bin/zelmor-desktop
chroot "$root_dir" test -x /usr/bin/zelmor-lab
chroot "$root_dir" grep -qx 'Name=ZELMOR Lab' /usr/share/applications/zelmor-lab.desktop
chroot "$root_dir" test -x /usr/bin/zelmor-lab-desktop

# Start the installed program in the clean root, under an Xvfb of its own,
# and wait for its windows.
chroot "$root_dir" bash -c '
  set -u
  mkdir -p /tmp/lesson && cd /tmp/lesson
  Xvfb :7 -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb=$!
  sleep 1
  DISPLAY=:7 zelmor >/tmp/zelmor.out 2>&1 &
  app=$!
  ok=1
  for i in $(seq 1 100); do
    if DISPLAY=:7 xwininfo -name "3D Projection" >/dev/null 2>&1 &&
       DISPLAY=:7 xwininfo -name "2D Points" >/dev/null 2>&1; then ok=0; break; fi
    sleep 0.1
  done
  DISPLAY=:7 xwininfo -name "3D Projection" | grep -E "Absolute|Width|Height"
  kill $app 2>/dev/null
  # As the desktop menu starts it: in ~/ZELMOR, made on first start.
  mkdir -p /tmp/home
  HOME=/tmp/home DISPLAY=:7 zelmor-desktop >/tmp/zelmor-desktop.out 2>&1 &
  app=$!
  for i in $(seq 1 100); do
    [ "$(readlink /proc/$app/cwd 2>/dev/null)" = /tmp/home/ZELMOR ] && break
    sleep 0.1
  done
  [ "$(readlink /proc/$app/cwd 2>/dev/null)" = /tmp/home/ZELMOR ] || { echo "zelmor-desktop did not start zelmor in ~/ZELMOR"; ok=1; }
  kill $app $xvfb 2>/dev/null
  printf "0 0 1\n1 0 2\n0 1 2\n1 1 3\n0.3 0.4 1.25\n" | zelmor-delaunay | head -3
  exit $ok'
echo "the package installs and starts on a clean Debian 12 root"
