#!/bin/bash
# Checks that fixture.sh gives Wine the drives it was asked for: label, serial, type and
# exact free space. Uses only Wine's own cmd, wmic and reg. Exit 0 = ok, 77 = skipped
# (no mount permission), 1 = failure.
set -euo pipefail
export LC_ALL=C.UTF-8   # en-US digit grouping in dir's output
# shellcheck source=fixture.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/fixture.sh"

failed=0
expect() {   # expect WHAT OUTPUT TEXT
    if grep -qF -- "$3" <<<"$2"; then
        echo "ok   $1"
    else
        echo "FAIL $1: expected '$3' in:"
        printf '%s\n' "$2" | sed 's/^/     | /'
        failed=1
    fi
}

fixture_begin
fixture_drive c hd SYSTEM 0C0C0C0C 256M
fixture_drive d hd DATEN 12ab34cd 64M
fixture_drive e network NETZ 0000ABCD
fixture_drive f floppy
fixture_drive g cdrom
fixture_drive i missing
fixture_start
# dir prints the free space only below a listing; an empty file takes no tmpfs page.
: >"$(fixture_unix_path d)/empty"

# Each size is the tmpfs size minus one 4 KiB page each for .windows-label and .windows-serial.
out=$(fixture_wine cmd /c dir "c:\\" '&' dir "d:\\" '&' dir "e:\\" 2>&1 | tr -d '\r') || true
expect "C: label"      "$out" "Volume in drive c is SYSTEM"
expect "C: serial"     "$out" "Volume Serial Number is 0c0c-0c0c"
expect "C: free space" "$out" "268,427,264 bytes free"
expect "D: label"      "$out" "Volume in drive d is DATEN"
expect "D: serial"     "$out" "Volume Serial Number is 12ab-34cd"
expect "D: free space" "$out" "67,100,672 bytes free"
expect "E: label"      "$out" "Volume in drive e is NETZ"

# wmic asks GetDriveType; it lists fixed, removable and optical drives only.
out=$(fixture_wine wmic logicaldisk get name,drivetype | iconv -f UTF-16 -t UTF-8 |
      tr -d '\r' | awk 'NF == 2 { printf "%s=%s ", $2, $1 }')
expect "types C: D: F: G:" "$out" "C:=3 D:=3 F:=2 G:=5 "

out=$(fixture_wine reg query 'HKLM\Software\Wine\Drives' | tr -d '\r')
expect "E: network in registry" "$out" "e:    REG_SZ    network"

[[ $failed == 0 ]] && echo "fixture self-test passed"
exit "$failed"
