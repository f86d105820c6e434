#!/usr/bin/env bash
# The guide's registry lines and scripts, taken from docs/benutzerhandbuch.md and run under
# Wine as an administrator runs them: a block of `reg add` lines, the .reg file or the install
# script, then runs that show what merovant.exe read from them; the uninstall script after it.
#   guide_test.sh CASE merovant.exe probe.exe
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$(readlink -f "$0")")/lib.sh"

GUIDE="$(dirname "$(readlink -f "$0")")/../../docs/benutzerhandbuch.md"
readonly GUIDE SYSTEM_KEY='HKU\S-1-5-18\Software\Korvel\merovant'
readonly SOURCE_KEY='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Merovant'
readonly INSTALLED='C:\Program Files\Merovant\merovant.exe' TASK='windows/system32/tasks/Merovant Tagesprotokoll'

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
# server the test has not: the run fails, and its event names the file it tried. The daily
# run is C:\merovant.exe /daily unless the setup names another (DAILY_RUN).
expect_guide_settings() {
    DAILY_RUN=('C:\merovant.exe' /daily)
    fixture_drive c cdrom
    fixture_drive d hd DATEN 12AB34CD 64M
    fixture_start
    "$@"
    run_merovant_expecting 0 'D:\out.txt'
    expect_bytes "$(fixture_unix_path d)/out.txt" "$(local_mb_table)"
    cp "$MEROVANT_EXE" "$FX_PREFIX/drive_c/merovant.exe"
    local rc=0
    WINEDEBUG=-all,err+eventlog probe hidden 20 "${DAILY_RUN[@]}" >/dev/null || rc=$?
    [[ $rc == 1 ]] || { cat "$FX_ROOT/probe.err" >&2; fail "daily run ended with $rc, expected 1"; }
    grep -qF "ReportEventW L\"\\\\\\\\fileserver\\\\logs\\\\merovant\\\\$(computer_name)-$(today).txt\"" \
        "$FX_ROOT/probe.err" || { cat "$FX_ROOT/probe.err" >&2; fail "the daily log went elsewhere"; }
}

# The lines for the account of the task itself (HKEY_CURRENT_USER).
case_reg_add_lines_for_the_current_user() { expect_guide_settings run_reg_lines "reg-lines: hkcu"; }

# SYSTEM's settings live under HKEY_USERS\S-1-5-18; the program, which runs here as the
# user, gets a copy of exactly that key.
copy_system_settings_to_user() { reg_tool copy "$SYSTEM_KEY" "HKCU\\$SETTINGS_KEY" /s /f; }

system_lines() {
    run_reg_lines "reg-lines: system"
    copy_system_settings_to_user
}
case_reg_add_lines_for_system() { expect_guide_settings system_lines; }

# A block of the guide saved as a file of the prefix, with the CR LF line ends of Windows.
save_block() {
    mkdir -p "$(dirname "$2")"
    guide_block "$1" | sed 's/$/\r/' >"$2"
    [[ -s $2 ]] || fail "the guide has no block marked $1"
}

# The .reg example, saved as Windows' editor saves it and imported.
import_reg_file() {
    save_block reg-sample "$FX_PREFIX/drive_c/merovant.reg"
    reg_tool import 'C:\merovant.reg'
}
case_reg_file_import() { expect_guide_settings import_reg_file; }

# Runs a script of the prefix with Wine's cmd; prints its exit code.
run_script() {
    local rc=0
    (cd "$FX_PREFIX/drive_c" && exec wine cmd /c "$1") </dev/null >"$FX_ROOT/cmd.out" 2>&1 || rc=$?
    echo "$rc"
}

# The event source names the installed program, whose message table the Event Viewer reads.
expect_event_source() {
    reg_tool query "$SOURCE_KEY"
    if ! grep -qE "EventMessageFile +REG_EXPAND_SZ +${INSTALLED//\\/\\\\}"$'\r?$' "$FX_ROOT/reg.out" ||
        ! grep -qE 'TypesSupported +REG_DWORD +0x7' "$FX_ROOT/reg.out"; then
        cat "$FX_ROOT/reg.out" >&2
        fail "the event source does not name $INSTALLED"
    fi
}

# The install script beside the program and the task file, as a software distribution runs
# it. A package without the program fails with 1; the whole package installs, and the
# program then reads SYSTEM's settings from it, run as the task file's action runs it.
install_package() {
    local package="$FX_PREFIX/drive_c/paket"
    save_block "cmd: install" "$package/install.cmd"
    save_block task-xml "$package/merovant-aufgabe.xml"
    [[ $(run_script 'C:\paket\install.cmd') == 1 ]] || { cat "$FX_ROOT/cmd.out" >&2; fail "install without the exe"; }
    cp "$MEROVANT_EXE" "$package/merovant.exe"
    [[ $(run_script 'C:\paket\install.cmd') == 0 ]] || { cat "$FX_ROOT/cmd.out" >&2; fail "install.cmd failed"; }
    cmp -s "$MEROVANT_EXE" "$FX_PREFIX/drive_c/Program Files/Merovant/merovant.exe" || fail "the program is not installed"
    copy_system_settings_to_user
    local command arguments
    command=$(guide_block task-xml | sed -n 's:.*<Command>\(.*\)</Command>.*:\1:p')
    arguments=$(guide_block task-xml | sed -n 's:.*<Arguments>\(.*\)</Arguments>.*:\1:p')
    [[ $command == "$INSTALLED" ]] || fail "the task starts $command, not the installed program"
    read -ra arguments <<<"$arguments"
    DAILY_RUN=("$command" "${arguments[@]}")
}

# After it the uninstall script leaves nothing of the install: the folder, SYSTEM's
# settings, the event source and the task are gone. The guide's lines for the source alone
# then register it again as the script did.
case_install_and_uninstall_scripts() {
    expect_guide_settings install_package
    expect_event_source
    [[ -f $FX_PREFIX/drive_c/$TASK ]] || fail "install.cmd registered no task"
    save_block "cmd: uninstall" "$FX_PREFIX/drive_c/paket/uninstall.cmd"
    [[ $(run_script 'C:\paket\uninstall.cmd') == 0 ]] || { cat "$FX_ROOT/cmd.out" >&2; fail "uninstall.cmd failed"; }
    [[ ! -e $FX_PREFIX/drive_c/Program\ Files/Merovant && ! -e $FX_PREFIX/drive_c/$TASK ]] ||
        fail "uninstall.cmd left the folder or the task"
    local key
    for key in "$SYSTEM_KEY" "$SOURCE_KEY"; do
        ! (cd "$FX_PREFIX/drive_c" && wine reg query "$key") </dev/null >/dev/null 2>&1 || fail "uninstall.cmd left $key"
    done
    run_reg_lines "reg-lines: event-source"
    expect_event_source
}

run_case "$@"
