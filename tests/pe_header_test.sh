#!/usr/bin/env bash
# What a security scan of the exe reads from its PE header: address-space randomisation
# (DYNAMIC_BASE, with the relocation table it needs), no code in data pages (NX_COMPAT),
# terminal-server aware, and no link time (the same sources give the same bytes). And what
# Windows reads from its manifest resource: GDI scaling on monitors of high DPI, and the
# legacy code page where the system's is UTF-8, which only holds while no text reaches
# GDI's own ANSI text functions (they convert with the system's code page). And its version
# resource's FileVersion text.
#   pe_header_test.sh OBJDUMP WINDRES merovant.exe
set -euo pipefail
objdump=$1 windres=$2 exe=$3
header=$("$objdump" -p "$exe")
status=0
for flag in DYNAMIC_BASE NX_COMPAT TERMINAL_SERVICE_AWARE; do
    grep -qw "$flag" <<<"$header" || { echo "DllCharacteristics lack $flag" >&2; status=1; }
done
# The data directory's entry 5 is the base relocation table: address and size not zero.
grep -Eq '^Entry 5 [0-9a-f]*[1-9a-f][0-9a-f]* [0-9a-f]*[1-9a-f][0-9a-f]* Base Relocation' <<<"$header" ||
    { echo "no relocation table" >&2; status=1; }
# objdump prints a zero time stamp as the epoch (or as 0 in older versions).
grep -Eq $'^Time/Date\t+(Thu Jan  1 00:00:00 1970|0+)$' <<<"$header" ||
    { echo "time stamp not zero: $(grep '^Time/Date' <<<"$header")" >&2; status=1; }
# windres gives the manifest (type 24, id 1) back as quoted lines of a resource script.
manifest=$("$windres" -i "$exe" -O rc | sed -n '/^1 24 /,/^END/p' | sed -n 's/^ *"\(.*\)"$/\1/p' | sed 's/""/"/g; s/\\n$//')
grep -qF '<gdiScaling xmlns="http://schemas.microsoft.com/SMI/2017/WindowsSettings">true</gdiScaling>' <<<"$manifest" ||
    { echo "the manifest asks for no GDI scaling" >&2; status=1; }
grep -qF '<activeCodePage xmlns="http://schemas.microsoft.com/SMI/2019/WindowsSettings">Legacy</activeCodePage>' <<<"$manifest" ||
    { echo "the manifest keeps no legacy code page" >&2; status=1; }
# objdump lists each import as "hint name" under its DLL.
if grep -Ew '(Ext|Poly)?TextOutA' <<<"$header" >&2; then
    echo "text is drawn through GDI's ANSI functions, which ignore the process's code page" >&2
    status=1
fi
# The version as text reads the four parts of the numeric one: tools that compare either agree.
resources=$("$windres" -i "$exe" -O rc)
numeric=$(sed -n 's/^ *FILEVERSION \([0-9]*\), \([0-9]*\), \([0-9]*\), \([0-9]*\)$/\1.\2.\3.\4/p' <<<"$resources")
grep -qF "VALUE \"FileVersion\", \"$numeric\"" <<<"$resources" ||
    { echo "the text FileVersion is not $numeric" >&2; status=1; }
exit "$status"
