#!/usr/bin/env bash
# What a security scan of the exe reads from its PE header: address-space randomisation
# (DYNAMIC_BASE, with the relocation table it needs), no code in data pages (NX_COMPAT),
# terminal-server aware, and no link time (the same sources give the same bytes).
#   pe_header_test.sh OBJDUMP merovant.exe
set -euo pipefail
objdump=$1 exe=$2
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
exit "$status"
