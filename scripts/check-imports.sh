#!/usr/bin/env bash
# Fails when a program's import table names a DLL that is not one of Windows' known DLLs. Windows loads a known
# DLL from the system folder only; any other it looks for in the program's own folder first, where anyone who can
# write there may put one. Such DLLs are delay-loaded instead (cmake/DelayLoad.cmake).
# Usage: scripts/check-imports.sh PROGRAM.exe...
set -euo pipefail
# The known DLLs that Windows 10 and 11 list under HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs,
# the list Microsoft's "Dynamic-link library search order" points to (the 32-bit-on-64 helpers left out).
known=" advapi32 clbcatq combase comdlg32 coml2 difxapi gdi32 gdiplus imagehlp imm32 kernel32 msctf msvcrt normaliz \
nsi ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore shell32 shlwapi user32 wldap32 ws2_32 "
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
status=0
for program in "$@"; do
  imports=$("$objdump" -p "$program" | awk '/^\tDLL Name: / { print tolower($3) }')
  if [ -z "$imports" ]; then echo "$program: no import table"; status=1; fi
  for dll in $imports; do
    case "$known" in
      *" ${dll%.dll} "*) ;;
      *) echo "$program imports $dll, which is not a known DLL: delay-load it"; status=1 ;;
    esac
  done
  echo "$program:" $imports
done
exit $status
