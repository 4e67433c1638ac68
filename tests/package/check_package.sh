#!/usr/bin/env bash
# The packages as a user meets them. The Debian package: its name and
# dependencies, its files, the unpacked pardune running a small script from a
# scratch folder (module, help and texts found through the per-user folder,
# nothing written to the installed one, the hang log in the user's folder),
# apt and lintian accepting it, its copyright file stating LICENSE, the manual page
# rendering without warnings and agreeing with --help and --version. The zip
# for FAR users: its four files.
# Usage: tests/package/check_package.sh DEB [ZIP]
# Prints one line per check and "N passed, N failed"; fails when any failed.
set -uo pipefail
deb=$(realpath "$1")
zip=${2:+$(realpath "$2")}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d /tmp/pardune-package-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
passed=0
failed=0

check() {  # check NAME COMMAND...: the command's output is shown when it fails
  local name=$1 out
  shift
  if out=$("$@" 2>&1); then
    passed=$((passed + 1))
    echo "ok: $name"
  else
    failed=$((failed + 1))
    echo "FAILED: $name"
    [ -n "$out" ] && sed 's/^/    /' <<<"$out"
  fi
}

version=$(dpkg-deb -f "$deb" Version)
root=$scratch/root
home=$scratch/home
dpkg-deb -x "$deb" "$root"
mkdir -p "$home"
lib=$root/usr/lib/pardune

named() { [ "$(basename "$deb")" = "pardune_${version}_amd64.deb" ] || echo "named $(basename "$deb")"; }
check "package named pardune_${version}_amd64.deb" named

depends() {
  local d
  d=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $d"
  grep -q 'libpcre2-8-0' <<<"$d" && grep -q 'libncursesw6' <<<"$d"
}
check "dependencies found: libpcre2-8-0, libncursesw6" depends

files() {
  local f missing=0
  for f in usr/bin/pardune usr/lib/pardune/Pardune.kmx usr/lib/pardune/libwinport.so \
           usr/lib/pardune/Pardune.lng usr/lib/pardune/Pardune.hlf \
           usr/share/man/man1/pardune.1.gz usr/share/doc/pardune/docs/usage.md; do
    [ -f "$root/$f" ] || { echo "missing $f"; missing=1; }
  done
  return $missing
}
check "files in bin/, lib/pardune/, the manual" files

apt_accepts() { apt-get install -s -q "$deb" | grep -q '^Inst pardune'; }
check "apt would install it" apt_accepts

run_unpacked() {
  local before after out
  before=$(ls -l "$lib")
  chmod -R a-w "$lib"
  printf 'alice@example.com\nbob@test.org\n' >"$home/notes.txt"
  printf 'key Alt+L\nkey Tab\ntype (\\w+)@(\\w+)\nkey Alt+X\nscreen\nkey F1\nscreen\n' >"$home/s.scn"
  out=$(cd "$home" && env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home" \
    "$root/usr/bin/pardune" --script s.scn notes.txt 2>&1) || { echo "$out"; return 1; }
  chmod -R u+w "$lib"
  after=$(ls -l "$lib")
  grep -q 'Match at 1:2' <<<"$out" || { echo "no match shown"; echo "$out"; return 1; }
  grep -q 'The tester dialog' <<<"$out" || { echo "no help shown"; echo "$out"; return 1; }
  [ "$(readlink "$home/.local/state/pardune/Pardune.kmx")" = "$lib/Pardune.kmx" ] ||
    { echo "no link to the module in ~/.local/state/pardune"; return 1; }
  [ "$before" = "$after" ] || { echo "the installed folder changed"; return 1; }
}
check "unpacked pardune runs a script through ~/.local/state/pardune" run_unpacked

logs_in_the_users_folder() {
  local out log=$home/.local/state/pardune/RegExp_bug.txt
  chmod -R a-w "$lib"
  printf 'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab\n' >"$home/runaway.txt"
  printf 'key Alt+L\nkey Tab\ntype (a+)+$\nkey Enter\n' >"$home/r.scn"
  out=$(cd "$home" && env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home" \
    "$root/usr/bin/pardune" --script r.scn runaway.txt 2>&1) || { echo "$out"; return 1; }
  chmod -R u+w "$lib"
  grep -q 'Parser hungs up at Parse expression' "$log" 2>/dev/null ||
    { echo "no report in $log"; return 1; }
  [ ! -e "$lib/RegExp_bug.txt" ] || { echo "the log was written into $lib"; return 1; }
}
check "the hang log goes to ~/.local/state/pardune" logs_in_the_users_folder

lintian_accepts() {
  local out
  out=$(lintian --allow-root --fail-on error,warning "$deb" 2>&1) && [ -z "$out" ] ||
    { echo "${out:-lintian failed}"; return 1; }
}
check "lintian prints nothing" lintian_accepts

licensed() {  # LICENSE's holder and text, blank lines as " ."
  diff <(sed -n 's/^Copyright (c) /Copyright: /p; /^Permission/,$s/^\(.\)/ \1/p; s/^$/ ./p' \
           "$source_dir/LICENSE" | sed '1,/^ Perm/{/^ \.$/d}') \
       <(sed -n '/^Copyright: /p; /^ Permission/,$p' "$root/usr/share/doc/pardune/copyright") &&
    grep -qx 'License: Expat' "$root/usr/share/doc/pardune/copyright"  # the MIT license
}
check "the copyright file states the MIT license of LICENSE" licensed

man_renders() {
  local warnings
  warnings=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/pardune.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$warnings"; return 1; }
}
check "man -l renders the manual page without warnings" man_renders

man_agrees() {
  local page help option status=0
  page=$(MANWIDTH=200 man -l "$root/usr/share/man/man1/pardune.1.gz" 2>/dev/null | col -bx)
  help=$("$root/usr/bin/pardune" --help)
  for option in $(grep -oE -- '--[a-z]+' <<<"$help" | sort -u); do
    grep -qe "$option" <<<"$page" || { echo "$option is not in the manual page"; status=1; }
  done
  for option in $(sed -n '/^OPTIONS/,/^[A-Z]/p' <<<"$page" | grep -oE -- '^ +--[a-z]+' | sort -u); do
    grep -qe "$option" <<<"$help" || { echo "$option is not in --help"; status=1; }
  done
  for code in 0 1 2 128+N; do
    sed -n '/^EXIT STATUS/,/^EXAMPLES/p' <<<"$page" | grep -qE "^ +${code/+/\\+}[[:space:]]" ||
      { echo "exit status $code is not in the manual page"; status=1; }
    grep -q "$code " <<<"$help" || { echo "exit status $code is not in --help"; status=1; }
  done
  [ "$("$root/usr/bin/pardune" --version)" = "pardune $version" ] || { echo "--version differs"; status=1; }
  grep -qE "^pardune $version[[:space:]]" <<<"$page" || { echo "the page is not of version $version"; status=1; }
  return $status
}
check "the manual page agrees with --help and --version" man_agrees

if [ -n "$zip" ]; then
  zip_files() {
    local list
    list=$(unzip -Z1 "$zip" | grep -v '/$' | sort | tr '\n' ' ')
    [ "$list" = "Pardune/LICENSE.txt Pardune/Pardune-Install.txt Pardune/Pardune.hlf Pardune/Pardune.kmx " ] ||
      { echo "the zip holds: $list"; return 1; }
    local text
    for text in Pardune-Install.txt Pardune.hlf LICENSE.txt; do
      [ "$(unzip -p "$zip" "Pardune/$text" | grep -vc $'\r$')" = 0 ] ||
        { echo "$text has lines without Windows line ends"; return 1; }
    done
    unzip -p "$zip" Pardune/Pardune.kmx >"$scratch/Pardune.kmx"
    file -b "$scratch/Pardune.kmx" | grep -q '^PE32 executable (DLL).*Intel 80386' ||
      { echo "Pardune.kmx is not a 32-bit Windows DLL: $(file -b "$scratch/Pardune.kmx")"; return 1; }
  }
  check "zip for FAR users: Pardune.kmx, its help, where to put them, the license" zip_files
fi

echo "package: $passed passed, $failed failed"
[ "$failed" = 0 ]
