#!/usr/bin/env bash
# What the Windows programs are made of, read with MinGW-w64's objdump: each
# imports only DLLs that every Windows has (nothing of ours, nor the
# compiler's runtime); the game is of the GUI subsystem, so no console window
# opens for it, and carries its manifest (per-monitor DPI aware), its icon
# and its version.
#   program_files.sh OBJDUMP GAME.EXE OTHER.EXE...
set -u
objdump=$1
game=$2
shift 2
system_dlls='ADVAPI32 COMCTL32 COMDLG32 GDI32 GLU32 IMM32 KERNEL32 MSVCRT OLE32 OLEAUT32 OPENGL32 SETUPAPI SHELL32 USER32 UUID VERSION WINMM'
status=0
for program in "$game" "$@"; do
  dlls=$("$objdump" -p "$program" | sed -n 's/.*DLL Name: \(.*\)\.dll$/\1/Ip' | tr '[:lower:]' '[:upper:]')
  [ -n "$dlls" ] || { echo "FAIL: $program imports nothing"; status=1; }
  for dll in $dlls; do
    grep -qw "$dll" <<<"$system_dlls" || { echo "FAIL: $(basename "$program") needs $dll.dll"; status=1; }
  done
  echo "$(basename "$program"): $(echo $dlls)"
done
"$objdump" -p "$game" | grep -q 'Subsystem.*(Windows GUI)' || { echo "FAIL: the game is no GUI program"; status=1; }
grep -q 'PerMonitorV2' "$game" || { echo "FAIL: the game has no per-monitor DPI manifest"; status=1; }
"$objdump" -h "$game" | grep -q '\.rsrc' || { echo "FAIL: the game has no resources"; status=1; }
strings -el "$game" | grep -qx 'FileVersion' || { echo "FAIL: the game has no version information"; status=1; }
[ $status = 0 ] && echo PASS
exit $status
