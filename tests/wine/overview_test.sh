#!/usr/bin/env bash
# merovant-uebersicht.exe on a collecting folder as Windows lists and opens it: file names
# in the ANSI code page, a subfolder, an oversized file, the files replaced as a whole, and
# the failures that must leave the earlier files as they were. The rows' rules and the
# files' bytes are the native overview_tests'; this checks what the Win32 side adds.
#   overview_test.sh CASE merovant.exe probe.exe merovant-uebersicht.exe
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$(readlink -f "$0")")/lib.sh"
OVERVIEW_EXE=$(realpath "$4")

logs() { echo "$(fixture_unix_path d)/logs"; }
out() { echo "$(fixture_unix_path d)/out"; }

long_log() {  # long_log FILE then rows "drive label capacity free percent"
    local file=$1 drive label capacity free percent
    shift
    {
        printf 'PC\tName\tTYP\tKapazit\xe4t (MB)\tFrei (MB)\tFrei in %%\tSerien-Nr\tFilesystem\t\r\n'
        for row in "$@"; do
            read -r drive label capacity free percent <<<"$row"
            printf '%s\t%s\tlokale Festplatte\t%s \t%s \t%s %%\t1E07-B3A4\tNTFS\t\r\n' \
                "$drive" "$label" "$capacity" "$free" "$percent"
        done
    } >"$(logs)/$file"
}

# Runs the overview in the prefix; RC is its exit code, its output in $FX_ROOT/overview.*.
run_overview() {
    RC=0
    fixture_wine "$OVERVIEW_EXE" "$@" >"$FX_ROOT/overview.out" 2>"$FX_ROOT/overview.err" || RC=$?
}

expect_rc() {
    [[ $RC == "$1" ]] || { cat "$FX_ROOT/overview.out" "$FX_ROOT/overview.err" >&2; fail "exit code $RC, expected $1"; }
}

expect_no_temporary_file() {
    local left
    left=$(find "$(out)" -name '*.tmp')
    [[ -z $left ]] || fail "temporary files left: $left"
}

case_generated_folder_on_a_fixed_reference_date() {
    fixture_drive d hd DATEN 12AB34CD
    fixture_start
    mkdir -p "$(logs)" "$(out)" "$(logs)/ORDNER-20250131.txt"
    local day
    for day in 22 23 24 25 26 27 28 29 30 31; do
        long_log "PC-0815-202501$day.txt" "C: SYSTEM 243.523 87.214 36" \
            "D: DATEN 100.000 $((29 - (day - 22))).000 $((29 - (day - 22)))"
    done
    long_log PC-0815-20250201.txt "C: SYSTEM 243.523 1 0"  # after the reference date
    for day in 29 30 31; do  # the short layout in kilobytes, grouped by a blank
        printf 'B\xc3\x9cRO-PC07 Frei(KB) Frei in %%\r\nC: 1 048 576  50 %%\r\n' >"$(logs)/BÜRO-PC07-202501$day.TXT"
    done
    long_log PC-ALT-20250126.txt "C: ALT 1.000 500 50"
    long_log PC-KAPUTT-20250130.txt "C: K 1.000 50 5"
    printf 'PC\tName\r\nC:' >"$(logs)/PC-KAPUTT-20250131.txt"
    head -c 70000 /dev/zero >"$(logs)/PC-GROSS-20250131.txt"
    long_log -20250131.txt "C: X 1.000 1 0"
    printf 'x' >"$(logs)/notizen.txt"

    run_overview 'D:\logs' 'D:\out' /stichtag:20250131
    expect_rc 3
    expect_bytes "$(out)/uebersicht.tsv" '\xef\xbb\xbfRechner\tLaufwerk\tStand\tKapazitaet_MB\tFrei_MB\tFrei_Prozent\tTrend_MB_pro_Tag\tVoll_in_Tagen\tZustand\r\n'\
'PC-GROSS\t\t2025-01-31\t\t\t\t\t\tfehler\r\n'\
'PC-KAPUTT\t\t2025-01-31\t\t\t\t\t\tfehler\r\n'\
'PC-ALT\tC:\t2025-01-26\t1000\t500\t50\t\t\tfehlt\r\n'\
'PC-KAPUTT\tC:\t2025-01-30\t1000\t50\t5\t\t\twarnung\r\n'\
'PC-0815\tD:\t2025-01-31\t100000\t20000\t20\t-1000.0\t20\tbald_voll\r\n'\
'B\xc3\x9cRO-PC07\tC:\t2025-01-31\t\t1024\t50\t\t\tok\r\n'\
'PC-0815\tC:\t2025-01-31\t243523\t87214\t36\t0.0\t\tok\r\n'
    [[ $(head -c 15 "$(out)/uebersicht.html") == '<!DOCTYPE html>' ]] || fail "uebersicht.html is not the page"
    expect_no_temporary_file
    grep -q "gelesen, 7 Zeilen nach" "$FX_ROOT/overview.out" ||
        { cat "$FX_ROOT/overview.out" >&2; fail "no summary line"; }
    # No console is attached: no progress on stderr.
    ! grep -q 'Tagesprotokollen gelesen' "$FX_ROOT/overview.err" || fail "progress without a console"
}

case_failures_leave_the_earlier_files() {
    fixture_drive d hd DATEN 12AB34CD
    fixture_start
    mkdir -p "$(logs)" "$(out)"
    long_log PC-20250131.txt "C: SYSTEM 1.000 500 50"
    printf 'alt' >"$(out)/uebersicht.tsv"
    printf 'alt' >"$(out)/uebersicht.html"
    # A missing folder, a missing target, a file for a folder, a malformed switch.
    local arguments folder target expected
    for arguments in 'D:\fehlt|D:\out|Der Ordner "D:\\fehlt" ist nicht lesbar' \
        'D:\logs|D:\fehlt|kann nicht nach "D:\\fehlt" geschrieben werden' \
        'D:\logs\PC-20250131.txt|D:\out|ist nicht lesbar' 'D:\logs|D:\out /tage:0|Schalter "/tage:0"'; do
        IFS='|' read -r folder target expected <<<"$arguments"
        # shellcheck disable=SC2086 # the target may carry a switch
        run_overview "$folder" $target /stichtag:20250131
        expect_rc 1
        expect_bytes "$(out)/uebersicht.tsv" 'alt'
        expect_bytes "$(out)/uebersicht.html" 'alt'
        expect_no_temporary_file
        grep -q "$expected" "$FX_ROOT/overview.err" || { cat "$FX_ROOT/overview.err" >&2; fail "no message: $expected"; }
    done
    run_overview 'D:\logs' 'D:\out' /stichtag:20250131
    expect_rc 0
    expect_no_temporary_file
}

run_case "$@"
