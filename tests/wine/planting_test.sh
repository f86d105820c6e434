#!/usr/bin/env bash
# DLL planting: DLLs named like system DLLs lie beside merovant.exe (as in a Downloads
# folder) and Wine searches for them as Windows does for DLLs that are not known DLLs.
# Opening the save dialog and the folder browser, and an accessibility client reading the
# grid from another process (after a dialog, and right after the start), must load none of
# them. (Not version.dll:
# Wine's own user32 imports it, so Wine loads a planted one before the program's first
# line runs, which Windows' user32 does not.)
#   planting_test.sh CASE merovant.exe probe.exe planted.dll
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$(readlink -f "$0")")/lib.sh"

readonly PLANTED_DLL=$(realpath "$4")
readonly PLANTED_NAMES=(uxtheme comctl32 oleacc)

# The prefix with C: a CD-ROM drive and D: a disk of 64 MiB; the exe in C:\app with the
# planted DLLs beside it, run from there.
plant_dlls() {
    fixture_drive c cdrom
    fixture_drive d hd DATEN 12AB34CD 64M
    fixture_start
    local app="$FX_PREFIX/drive_c/app" name overrides=""
    mkdir -p "$app"
    cp "$MEROVANT_EXE" "$app/merovant.exe"
    for name in "${PLANTED_NAMES[@]}"; do
        cp "$PLANTED_DLL" "$app/$name.dll"
        overrides+=";$name=n,b"
    done
    export WINEDLLOVERRIDES="$WINEDLLOVERRIDES$overrides"
    MEROVANT_EXE="$app/merovant.exe"
    FX_CWD="$app"
}

# A screen reader in another process reads the grid: the list of the two drives.
expect_grid_read() {
    local read
    read=$(probe accessible MerovantGrid) || { cat "$FX_ROOT/probe.err" >&2; fail "no accessible grid"; }
    [[ $read == $'33 2\n34 C:'*$'\n34 D:, Name: DATEN'* ]] || fail "the grid read as: $read"
}

expect_no_planted_dll_loaded() {
    if [[ -e $FX_PREFIX/drive_c/planted.txt ]]; then
        cat "$FX_PREFIX/drive_c/planted.txt" >&2
        fail "a planted DLL was loaded"
    fi
}

case_dialogs_load_no_planted_dll() {
    plant_dlls

    # The save dialog: OK writes the suggested file into the folder the dialog shows.
    start_merovant '?'
    probe messagebox 'Save As' >/dev/null || { cat "$FX_ROOT/probe.err" >&2; fail "no save dialog"; }
    wait_merovant
    [[ $MV_RC == 0 ]] || fail "exit code $MV_RC after the save dialog"
    [[ -n $(find "$FX_PREFIX/drive_c" -name "$(computer_name).txt" -size +0) ]] || fail "the save dialog wrote no export"

    # The folder browser, from the menu command "Daily-Logpfad".
    start_merovant
    probe command TFMain 108 || fail "main window not found"   # MenuId::DailyLogpfad1
    probe messagebox '*' >/dev/null || { cat "$FX_ROOT/probe.err" >&2; fail "no folder browser"; }
    expect_grid_read
    probe close TFMain || fail "main window not found"
    wait_merovant
    expect_no_planted_dll_loaded
}

# The first request of a client in another process comes before any dialog has brought COM
# into the program: the grid's own object must come back all the same, not the standard
# object of a plain client area ("10 0").
case_grid_is_read_right_after_start() {
    plant_dlls
    start_merovant
    expect_grid_read
    probe close TFMain || fail "main window not found"
    wait_merovant
    expect_no_planted_dll_loaded
}

run_case "$@"
