#!/usr/bin/env bash
# The guide's registry lines, taken from docs/benutzerhandbuch.md and run under Wine as an
# administrator runs them: a block of `reg add` lines or the .reg file, then runs that show
# what merovant.exe read from them.
#   guide_test.sh CASE merovant.exe probe.exe
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$(readlink -f "$0")")/lib.sh"

GUIDE="$(dirname "$(readlink -f "$0")")/../../docs/benutzerhandbuch.md"
readonly GUIDE SYSTEM_KEY='HKU\S-1-5-18\Software\Korvel\merovant'

# The lines of the guide's fenced block after "<!-- MARKER -->".
guide_block() {
    awk -v marker="<!-- $1 -->" '$0 == marker { on = 1; next }
        on && /^```/ { if (++fences == 2) exit; next } on && fences == 1' "$GUIDE"
}

# Runs each line of a block with the prefix's reg.exe, split as the Windows command line is:
# blanks separate, double quotes group, backslashes stay as they are.
run_reg_lines() {
    local line rest count=0
    local -a words
    while IFS= read -r line; do
        count=$((count + 1))
        [[ $line == "reg "* ]] || fail "not a reg line in the guide: $line"
        words=() rest=${line#reg }
        while [[ $rest =~ ^\ *(\"([^\"]*)\"|([^ \"]+))(.*)$ ]]; do
            words+=("${BASH_REMATCH[2]}${BASH_REMATCH[3]}")
            rest=${BASH_REMATCH[4]}
        done
        reg_tool "${words[@]}"
    done < <(guide_block "$1")
    [[ $count -gt 0 ]] || fail "the guide has no block marked $1"
}

# The values in the settings key as the program reads them: the local disks in megabytes
# (no switch asks for them) and the daily log file in the guide's folder, which names a
# server the test has not: the run fails, and its event names the file it tried.
expect_guide_settings() {
    fixture_drive c cdrom
    fixture_drive d hd DATEN 12AB34CD 64M
    fixture_start
    "$@"
    run_merovant_expecting 0 'D:\out.txt'
    expect_bytes "$(fixture_unix_path d)/out.txt" "$(local_mb_table)"
    cp "$MEROVANT_EXE" "$FX_PREFIX/drive_c/merovant.exe"
    local rc=0
    WINEDEBUG=-all,err+eventlog probe hidden 20 'C:\merovant.exe' /daily >/dev/null || rc=$?
    [[ $rc == 1 ]] || { cat "$FX_ROOT/probe.err" >&2; fail "daily run ended with $rc, expected 1"; }
    grep -qF "ReportEventW L\"\\\\\\\\fileserver\\\\logs\\\\merovant\\\\$(computer_name)-$(today).txt\"" \
        "$FX_ROOT/probe.err" || { cat "$FX_ROOT/probe.err" >&2; fail "the daily log went elsewhere"; }
}

# The lines for the account of the task itself (HKEY_CURRENT_USER).
case_reg_add_lines_for_the_current_user() { expect_guide_settings run_reg_lines "reg-lines: hkcu"; }

# The lines for SYSTEM write under HKEY_USERS\S-1-5-18; the program, which runs here as the
# user, gets a copy of exactly that key.
system_lines() {
    run_reg_lines "reg-lines: system"
    reg_tool copy "$SYSTEM_KEY" "HKCU\\$SETTINGS_KEY" /s /f
}
case_reg_add_lines_for_system() { expect_guide_settings system_lines; }

# The .reg example, saved with the CR LF line ends of Windows' editor and imported.
import_reg_file() {
    guide_block reg-sample | sed 's/$/\r/' >"$FX_PREFIX/drive_c/merovant.reg"
    [[ -s $FX_PREFIX/drive_c/merovant.reg ]] || fail "the guide has no .reg example"
    reg_tool import 'C:\merovant.reg'
}
case_reg_file_import() { expect_guide_settings import_reg_file; }

run_case "$@"
