#!/usr/bin/env bash
# The settings in Wine's real registry: loaded at start, written by the close box only,
# and the messages of corrupt values.
#   settings_test.sh CASE merovant.exe probe.exe
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$(readlink -f "$0")")/lib.sh"

readonly KEY="HKCU\\$SETTINGS_KEY"

declare_drives() {
    fixture_drive c cdrom
    fixture_drive d hd DATEN 12AB34CD 64M
    fixture_drive e network NETZ 0000ABCD 32M
    fixture_start
}

# An interactive run closed through its window's close command.
run_and_close() {
    start_merovant "$@"
    probe close TFMain || fail "main window not found"
    wait_merovant
    [[ $MV_RC == 0 ]] || fail "exit code $MV_RC after closing"
}

hex_of() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n' | tr a-f A-F; }

case_first_close_stores_the_defaults() {
    declare_drives
    expect_settings_value Lokal "no key"
    run_and_close
    expect_settings_value Lokal "4 00000000"
    expect_settings_value MByte "4 00000000"
    expect_settings_value dailylog "1 00"
}

case_switches_are_stored_by_the_close_box_only() {
    declare_drives
    run_merovant_expecting 0 /lokal /mb 'D:\out.txt'
    expect_settings_value Lokal "no key"
    run_and_close /mb /lokal
    expect_settings_value Lokal "4 01000000"
    expect_settings_value MByte "4 01000000"
    # Saved as "MByte", read as "Mbyte": the next run starts in megabytes, local disks only.
    run_merovant_expecting 0 'D:\out.txt'
    expect_bytes "$(fixture_unix_path d)/out.txt" "$(local_mb_table)"
}

case_stored_folder_serves_the_daily_log() {
    declare_drives
    mkdir "$(fixture_unix_path d)/logs"
    reg_tool add "$KEY" /v Lokal /t REG_DWORD /d 0 /f
    reg_tool add "$KEY" /v Mbyte /t REG_DWORD /d 0 /f
    reg_tool add "$KEY" /v dailylog /t REG_SZ /d 'D:\logs' /f
    run_merovant_expecting 0 /daily
    expect_bytes "$(fixture_unix_path d)/logs/$(computer_name)-$(today).txt" "$(local_mb_table)"
    expect_settings_value Lokal "4 00000000"
}

case_values_are_normalised_when_saved() {
    declare_drives
    reg_tool add "$KEY" /v Lokal /t REG_DWORD /d 5 /f
    reg_tool add "$KEY" /v MBYTE /t REG_DWORD /d 0 /f
    reg_tool add "$KEY" /v dailylog /t REG_EXPAND_SZ /d '%TEMP%\Prüf' /f
    run_and_close
    expect_settings_value Lokal "4 01000000"
    expect_settings_value Mbyte "4 00000000"
    expect_settings_value dailylog "1 $(hex_of "%TEMP%\\Pr")FC$(hex_of 'f')00"
}

# Each corrupt state shows its message unchanged (it ends in an apostrophe) and the run
# ends with exit code 1 once the window is closed.
case_corrupt_values_show_their_message() {
    declare_drives
    local -a states=(
        "keyonly|Fehler beim Holen der Daten f\\xfcr 'Lokal'"
        "lokal_sz3|Ung\\xfcltiger Datentyp f\\xfcr 'Lokal'"
        "lokal_sz4|Fehler beim Holen der Daten f\\xfcr 'Lokal'"
        "lokal_bin8|Fehler beim Holen der Daten f\\xfcr 'Lokal'"
        "mbyte_bin4|Ung\\xfcltiger Datentyp f\\xfcr 'Mbyte'"
        "dailylog_dword|Ung\\xfcltiger Datentyp f\\xfcr 'dailylog'"
    )
    local entry state message
    for entry in "${states[@]}"; do
        state=${entry%%|*} message=${entry#*|}
        [[ $(settings_value Lokal) == "no key" ]] || reg_tool delete "$KEY" /f
        reg_tool add "$KEY" /f
        case $state in
            lokal_sz3) reg_tool add "$KEY" /v Lokal /t REG_SZ /d abc /f ;;
            lokal_sz4) reg_tool add "$KEY" /v Lokal /t REG_SZ /d abcd /f ;;
            lokal_bin8) reg_tool add "$KEY" /v Lokal /t REG_BINARY /d 0100000000000000 /f ;;
            mbyte_bin4)
                reg_tool add "$KEY" /v Lokal /t REG_DWORD /d 1 /f
                reg_tool add "$KEY" /v Mbyte /t REG_BINARY /d 01000000 /f ;;
            dailylog_dword)
                reg_tool add "$KEY" /v Lokal /t REG_DWORD /d 1 /f
                reg_tool add "$KEY" /v Mbyte /t REG_DWORD /d 1 /f
                reg_tool add "$KEY" /v dailylog /t REG_DWORD /d 7 /f ;;
        esac
        start_merovant 'D:\out.txt'
        expect_error_box "$message" 1
        # The failed load skipped the export; the close box then stored clean values.
        expect_no_file "$(fixture_unix_path d)/out.txt"
        expect_settings_value dailylog "1 00"
    done
}

run_case "$@"
