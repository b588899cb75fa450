#!/bin/sh
# brenk.exe must import system DLLs only: no MinGW runtime DLL may be needed.
set -eu
exe="$1"
dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
echo "imports:" $dlls
[ -n "$dlls" ] || { echo "no imports found in $exe"; exit 1; }
bad=$(echo "$dlls" | grep -iE 'libstdc\+\+|libgcc|libwinpthread|msvcp|vcruntime' || true)
if [ -n "$bad" ]; then echo "runtime DLLs imported: $bad"; exit 1; fi
