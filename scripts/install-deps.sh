#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; skips what is there.
# Usage: scripts/install-deps.sh [run|package|test]
#   run: what building pardune needs; package: and making its Debian package;
#   test: everything.
set -euo pipefail
what=${1:-test}
sudo_() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

run_pkgs=(build-essential cmake ninja-build pkg-config libpcre2-dev libncurses-dev)
package_pkgs=(file dpkg-dev)
test_pkgs=(man-db unzip lintian googletest libgtest-dev libbenchmark-dev tmux clang libclang-rt-14-dev mingw-w64 wine wine32:i386 wine64 xxd
           strace)

pkgs=("${run_pkgs[@]}")
[ "$what" != run ] && pkgs+=("${package_pkgs[@]}")
[ "$what" = test ] && pkgs+=("${test_pkgs[@]}")

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps.sh: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if printf '%s\n' "${missing[@]}" | grep -q ':i386'; then
  dpkg --print-foreign-architectures | grep -qx i386 || sudo_ dpkg --add-architecture i386
fi
sudo_ apt-get update -qq
sudo_ apt-get install -y -qq --no-install-recommends "${missing[@]}"
