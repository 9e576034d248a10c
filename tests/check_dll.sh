#!/bin/bash
# Checks the built plug-in as a stock Windows would load it: exactly the five undecorated
# exports, and imports from Windows system DLLs only.
set -euo pipefail
dll=$1
dump=$(i686-w64-mingw32-objdump -p "$dll")
fail=0

exports=$(echo "$dump" | awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && NF==0{on=0} on{print $NF}' | sort | tr '\n' ' ')
expected="DllCanUnloadNow DllGetClassForm DllGetClassInfo DllGetClassObject DllGetInterface "
if [ "$exports" != "$expected" ]; then
    echo "exports are '$exports', expected '$expected'"
    fail=1
fi

imports=$(echo "$dump" | awk '/DLL Name:/{print $3}' | tr 'a-z' 'A-Z' | sort -u)
for name in $imports; do
    case $name in
        KERNEL32.DLL | USER32.DLL | MSVCRT.DLL | ADVAPI32.DLL | API-MS-WIN-*) ;;
        *) echo "imports $name, which is not a Windows system DLL"; fail=1 ;;
    esac
done
echo "exports: $exports"
echo "imports:" $imports
exit $fail
