#!/usr/bin/env bash
# Builds ZELMOR's .deb, installs it into a fresh minimal Debian 12 root made
# with debootstrap (from the Debian mirror this machine's apt uses), and starts
# the installed program there under Xvfb.  Needs root.  Usage:
#   bash scripts/package-check.sh [ROOT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
root_dir=${1:-/tmp/zelmor-clean-root}

bash scripts/build.sh
(cd build && cpack -G DEB >/dev/null)
deb=$(ls -t build/zelmor_*.deb | head -n 1)
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n '/Depends/p'
dpkg-deb --contents "$deb" | awk '{print $6}'

command -v debootstrap >/dev/null || apt-get install -y -qq debootstrap
mirror=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
[ -n "$mirror" ] || mirror=$(awk '/^deb / {print $2; exit}' /etc/apt/sources.list)

cleanup() {
  umount "$root_dir/proc" 2>/dev/null || true
  umount "$root_dir/dev" 2>/dev/null || true
}
trap cleanup EXIT
rm -rf "$root_dir"
debootstrap --variant=minbase bookworm "$root_dir" "$mirror" >/tmp/zelmor-debootstrap.log
mount -t proc proc "$root_dir/proc"
mount --bind /dev "$root_dir/dev"
cp "$deb" "$root_dir/tmp/zelmor.deb"
chroot "$root_dir" apt-get update -qq
chroot "$root_dir" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq /tmp/zelmor.deb xvfb x11-utils >/tmp/zelmor-chroot-apt.log
chroot "$root_dir" test -x /usr/bin/zelmor
chroot "$root_dir" test -x /usr/bin/zelmor-delaunay
chroot "$root_dir" test -f /usr/share/applications/zelmor.desktop
chroot "$root_dir" test -x /usr/bin/zelmor-lab
chroot "$root_dir" grep -qx 'Name=ZELMOR Lab' /usr/share/applications/zelmor-lab.desktop

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
  kill $app $xvfb 2>/dev/null
  printf "0 0 1\n1 0 2\n0 1 2\n1 1 3\n0.3 0.4 1.25\n" | zelmor-delaunay | head -3
  exit $ok'
echo "the package installs and starts on a clean Debian 12 root"
