#!/bin/sh
# Installs the Debian packages the build, tests, benchmarks, fuzzers and the
# package and its check need.
# The Makefile runs this only when one of them is missing.
set -e
PKGS="cmake ninja-build g++ make pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev googletest libbenchmark-dev clang-14 libclang-rt-14-dev clang-format g++-mingw-w64-x86-64-posix xvfb xauth fonts-symbola strace wine64 dpkg-dev desktop-file-utils appstream shared-mime-info groff-base debootstrap python3"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing:$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
