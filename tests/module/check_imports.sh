#!/bin/sh
# Checks that a built Windows module imports from KERNEL32, USER32, ADVAPI32
# and msvcrt only: everything else is linked in.
#   check_imports.sh <objdump> Pardune.kmx
set -eu
tool=$1 module=$2
expected="ADVAPI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL"

names=$("$tool" -p "$module" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' |
        tr '[:lower:]' '[:upper:]' | sort -u | tr '\n' ' ' | sed 's/ $//')
if [ "$names" != "$expected" ]; then
  echo "imports of $module: '$names', expected '$expected'"
  exit 1
fi
echo "imports of $module: $names"
