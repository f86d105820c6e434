#!/usr/bin/env bash
# Unattended exports as a scheduled task runs them: the files byte for byte, and the
# failures with their message and exit code.
#   export_test.sh CASE merovant.exe probe.exe
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$(readlink -f "$0")")/lib.sh"

# C: as a CD-ROM drive: unmeasured, so every cell of the table is known in advance.
declare_drives() {
    fixture_drive c cdrom
    fixture_drive d hd DATEN 12AB34CD 64M
    fixture_drive e network NETZ 0000ABCD 32M
    fixture_drive f floppy
}

d_path() { fixture_unix_path d; }

long_mb() {
    mb_header
    printf '%s' 'C:\t\tCD-Rom\t\t\t\t\t\t\r\n'
    d_row
    printf '%s' 'E:\tNETZ\tNetzwerklaufwerk\t32 \t32 \t100 %%\t0000-ABCD\tNTFS\t\r\n'
    printf '%s' 'F:\t\tWechseldatentr\xe4ger\t\t\t\t\t\t\r\n'
}

short_mb() {
    printf '%s' "$(computer_name)"
    printf '%s' ' Frei (MB) Frei in %%\r\nC:  \r\nD: 64  100 %%\r\nE: 32  100 %%\r\nF:  \r\n'
}

case_named_long() {
    declare_drives
    fixture_start
    WINEDEBUG=-all,+loaddll run_merovant_expecting 0 /mb 'D:\out.txt'
    expect_bytes "$(d_path)/out.txt" "$(long_mb)"
    # An unattended run pays for no dialog and no accessibility library.
    local loaded
    loaded=$(grep -oiE '[a-z0-9_]+\.dll" at' "$FX_ROOT/merovant.err" | grep -iE '^(oleacc|oleaut32|comdlg32|shell32|ole32)\.' || true)
    [[ -z $loaded ]] || fail "the unattended run loaded: $loaded"
}

case_named_short() {
    declare_drives
    fixture_start
    run_merovant_expecting 0 /KURZ /mb 'D:\out.txt'
    expect_bytes "$(d_path)/out.txt" "$(short_mb)"
}

case_daily_into_current_drive_root() {
    declare_drives
    fixture_start
    FX_CWD=$(d_path)
    run_merovant_expecting 0 /daily
    expect_bytes "$(d_path)/$(computer_name)-$(today).txt" "$(local_mb_table)"
}

case_daily_wins_after_a_file_argument() {
    declare_drives
    fixture_start
    FX_CWD=$(d_path)
    run_merovant_expecting 0 report.txt /daily
    expect_bytes "$(d_path)/$(computer_name)-$(today).txt" "$(local_mb_table)"
    expect_no_file "$(d_path)/report.txt"
}

case_file_argument_wins_after_daily() {
    declare_drives
    fixture_start
    FX_CWD=$(d_path)
    run_merovant_expecting 0 /daily report.txt
    expect_bytes "$(d_path)/report.txt" "$(local_mb_table)"
    expect_no_file "$(d_path)/$(computer_name)-$(today).txt"
}

case_name_is_lower_cased() {
    declare_drives
    fixture_start
    run_merovant_expecting 0 /mb 'D:\Out.TXT'
    expect_bytes "$(d_path)/out.txt" "$(long_mb)"
    expect_no_file "$(d_path)/Out.TXT"
}

case_second_export_replaces_the_first() {
    declare_drives
    fixture_start
    head -c 5000 /dev/zero | tr '\0' x >"$(d_path)/out.txt"
    run_merovant_expecting 0 /mb /kurz 'D:\out.txt'
    run_merovant_expecting 0 /mb 'D:\out.txt'
    expect_bytes "$(d_path)/out.txt" "$(long_mb)"
}

case_null_device_succeeds() {
    declare_drives
    fixture_start
    FX_CWD=$(d_path)
    run_merovant_expecting 0 NUL
    expect_no_file "$(d_path)/nul"
}

case_missing_folder() {
    declare_drives
    fixture_start
    start_merovant 'D:\fehlt\out.txt'
    expect_error_box 'Ung\xfcltiger Dateiname.'
    expect_no_file "$(d_path)/fehlt"
}

case_folder_as_target() {
    declare_drives
    fixture_start
    mkdir "$(d_path)/ordner"
    start_merovant 'D:\ordner'
    expect_error_box 'Dateizugriff verweigert.'
}

case_read_only_file() {
    declare_drives
    fixture_drive r hd SCHUTZ 00000005 1M
    fixture_start
    echo alt >"$(fixture_unix_path r)/alt.txt"
    mount -o remount,ro "$(fixture_unix_path r)" || { echo "SKIPPED: no read-only remount"; exit 77; }
    start_merovant 'R:\alt.txt'
    expect_error_box 'Dateizugriff verweigert.'
    [[ $(<"$(fixture_unix_path r)/alt.txt") == alt ]] || fail "the protected file changed"
}

case_file_held_open_by_another_program() {
    declare_drives
    fixture_start
    : >"$FX_ROOT/hold.out"
    probe hold 'D:\offen.txt' 60 >"$FX_ROOT/hold.out" &
    local i
    for ((i = 0; i < 300; i++)); do
        [[ $(<"$FX_ROOT/hold.out") == held ]] && break
        sleep 0.1
    done
    [[ $(<"$FX_ROOT/hold.out") == held ]] || fail "the probe could not hold the file"
    start_merovant 'D:\offen.txt'
    expect_error_box 'E/A-Fehler 32.'
}

# A disk that fills up while the export is written: Y: has one free 4 KiB page, and the
# long volume labels make the export larger than that.
case_disk_fills_up() {
    local label letter
    label=$(printf 'L%.0s' {1..200})
    fixture_drive c cdrom
    for letter in d e f g h i j k l m n o p q r s t u v w x; do fixture_drive "$letter" hd "$label"; done
    fixture_drive y hd "" "" 8K
    fixture_start
    head -c 4096 /dev/zero >"$(fixture_unix_path y)/filler"
    start_merovant 'Y:\voll.txt'
    expect_error_box 'E/A-Fehler 112.'
    local size
    size=$(stat -c %s "$(fixture_unix_path y)/voll.txt")
    [[ $size -gt 0 && $((size % 128)) -eq 0 ]] || fail "the full disk kept $size bytes, not whole 128-byte blocks"
}

run_case "$@"
