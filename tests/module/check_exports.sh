#!/bin/sh
# Checks that a built module exports exactly Start, GetInfo, Run and Exit.
#   check_exports.sh pe32 <objdump> Pardune.kmx   (a PE32 DLL for i386)
#   check_exports.sh pe64 <objdump> Pardune.kmx   (a PE32+ DLL for x86-64)
#   check_exports.sh elf <nm> Pardune.kmx         (an ELF shared object)
set -eu
kind=$1 tool=$2 module=$3
expected="Exit GetInfo Run Start"

if [ "$kind" = pe32 ] || [ "$kind" = pe64 ]; then
  if [ "$kind" = pe32 ]; then format=pei-i386; else format=pei-x86-64; fi
  dump=$("$tool" -p "$module")
  echo "$dump" | grep -q "file format $format\$" || { echo "not a $format file: $module"; exit 1; }
  echo "$dump" | grep -q 'Characteristics.*DLL\|^	*DLL$' ||
    "$tool" -f "$module" | grep -q 'DLL' || { echo "not a DLL: $module"; exit 1; }
  # Entries of the export name table: lines "[ n] +base[ ord] Name".
  names=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*\(+base\[[[:space:]]*[0-9]*\][[:space:]]*[0-9a-f]*[[:space:]]*\)\{0,1\}//p' |
          sort | tr '\n' ' ' | sed 's/ $//')
else
  names=$("$tool" -D --defined-only "$module" | awk '{print $NF}' | sort | tr '\n' ' ' | sed 's/ $//')
fi

if [ "$names" != "$expected" ]; then
  echo "exports of $module: '$names', expected '$expected'"
  exit 1
fi
echo "exports of $module: $names"
