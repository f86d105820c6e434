#!/usr/bin/env bash
# Runs in a session nobody sees (a scheduled task that runs whether the user is logged on
# or not), the events of failed unattended runs, and the help switch.
#   session_test.sh CASE merovant.exe probe.exe
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$(readlink -f "$0")")/lib.sh"

readonly KEY="HKCU\\$SETTINGS_KEY"

declare_drives() {
    export WINEDEBUG=-all,err+eventlog   # after fixture_begin, which silences Wine
    fixture_drive c cdrom
    fixture_drive d hd DATEN 12AB34CD 64M
    fixture_drive e network NETZ 0000ABCD 32M
}

# Wine prints the texts of an error event on stderr, one line each, characters above
# 0x7F as \00XX and a backslash doubled.
expect_event() {   # FILE TEXT (as Wine prints it, or a part of it)
    grep -F 'ReportEventW L"' "$1" | grep -qF -- "$2" || { cat "$1" >&2; fail "no event text \"$2\""; }
}
# Every line of a text ends in CR LF, and no CR stands anywhere else.
expect_crlf_lines() {   # FILE WHAT
    local lines
    lines=$(wc -l <"$1")
    [[ $(tail -c 2 "$1" | od -An -tx1 | tr -d ' ') == 0d0a && $(grep -c $'\r$' "$1") == "$lines" ]] &&
        ! sed 's/\r$//' "$1" | grep -q $'\r' || { od -c "$1" >&2; fail "$2: lines must end in CR LF only"; }
}
expect_no_event() { ! grep -q ReportEventW "$1" || { cat "$1" >&2; fail "unexpected event"; }; }

# Runs merovant.exe on a desktop nobody sees, at most 20 s; HIDDEN_RC is its exit code
# (124: it had to be killed) and $FX_ROOT/hidden.err what it printed.
run_hidden() {
    [[ -f $FX_PREFIX/drive_c/merovant.exe ]] || cp "$MEROVANT_EXE" "$FX_PREFIX/drive_c/merovant.exe"
    HIDDEN_RC=0
    probe hidden 20 'C:\merovant.exe' "$@" >/dev/null || HIDDEN_RC=$?
    cp "$FX_ROOT/probe.err" "$FX_ROOT/hidden.err"
}

expect_hidden() {   # CODE ARGS...
    local expected=$1 started
    shift
    started=$SECONDS
    run_hidden "$@"
    [[ $HIDDEN_RC == "$expected" ]] ||
        { cat "$FX_ROOT/hidden.err" >&2; fail "exit code $HIDDEN_RC, expected $expected (args: $*)"; }
    echo "hidden run ($*): exit code $HIDDEN_RC after $((SECONDS - started)) s"
}

case_hidden_failures_end_with_1() {
    declare_drives
    fixture_drive r hd SCHUTZ 00000005 1M
    fixture_start
    mount -o remount,ro "$(fixture_unix_path r)" || { echo "SKIPPED: no read-only remount"; exit 77; }
    reg_tool add "$KEY" /v Lokal /t REG_DWORD /d 1 /f
    reg_tool add "$KEY" /v Mbyte /t REG_DWORD /d 1 /f
    reg_tool add "$KEY" /v dailylog /t REG_SZ /d 'D:\fehlt' /f
    expect_hidden 1 /daily
    expect_event "$FX_ROOT/hidden.err" 'Ung\00fcltiger Dateiname.'
    expect_event "$FX_ROOT/hidden.err" 'C:\\merovant.exe /daily'
    expect_event "$FX_ROOT/hidden.err" "D:\\\\fehlt\\\\$(computer_name)-$(today).txt"
    expect_no_file "$(fixture_unix_path d)/fehlt"

    expect_hidden 1 'R:\neu.txt'
    expect_event "$FX_ROOT/hidden.err" 'Dateizugriff verweigert.'
    expect_no_file "$(fixture_unix_path r)/neu.txt"

    reg_tool delete "$KEY" /v Lokal /f
    expect_hidden 1 'D:\out.txt'
    expect_event "$FX_ROOT/hidden.err" "Fehler beim Holen der Daten f\\00fcr 'Lokal'"
    expect_no_file "$(fixture_unix_path d)/out.txt"
    # An error outweighs the missing person: no export and unreadable settings give 1.
    expect_hidden 1
}

case_hidden_runs_that_need_a_person_end_with_2() {
    declare_drives
    fixture_start
    reg_tool add "$KEY" /v Lokal /t REG_DWORD /d 0 /f
    reg_tool add "$KEY" /v Mbyte /t REG_DWORD /d 0 /f
    reg_tool add "$KEY" /v dailylog /t REG_SZ /d 'D:\' /f
    # The arguments|the export target the event names: the one the run would have used
    # ("?" for the save dialog), none where the window would stay or the help shows.
    local run arguments target
    for run in "|" "/automatik|?" "?|?" "/?|" "/daily /?|"; do
        arguments=${run%|*} target=${run#*|}
        # shellcheck disable=SC2086
        expect_hidden 2 $arguments
        expect_event "$FX_ROOT/hidden.err" 'niemand sieht diese Sitzung'
        grep -qF "ReportEventW L\"$target\"" "$FX_ROOT/hidden.err" ||
            { cat "$FX_ROOT/hidden.err" >&2; fail "the event of \"$arguments\" does not name the target \"$target\""; }
    done
    [[ -z $(ls "$(fixture_unix_path d)") ]] || fail "a run that needs a person wrote a file"
    expect_hidden 0 /daily
    expect_no_event "$FX_ROOT/hidden.err"
    expect_bytes "$(fixture_unix_path d)/$(computer_name)-$(today).txt" "$(local_mb_table)"
}

# In a session a user sees, a failed unattended run shows its box as ever and also
# writes the event; an interactive run without switches writes none.
case_visible_events() {
    declare_drives
    fixture_start
    start_merovant 'D:\fehlt\out.txt'
    expect_error_box 'Ung\xfcltiger Dateiname.'
    expect_event "$FX_ROOT/merovant.err" 'Ung\00fcltiger Dateiname.'
    expect_event "$FX_ROOT/merovant.err" 'd:\\fehlt\\out.txt'
    start_merovant
    probe close TFMain || fail "main window not found"
    wait_merovant
    [[ $MV_RC == 0 ]] || fail "exit code $MV_RC after closing"
    expect_no_event "$FX_ROOT/merovant.err"
}

case_help_box() {
    declare_drives
    fixture_start
    start_merovant /daily /?
    probe messagebox Merovant >"$FX_ROOT/box.txt" || { cat "$FX_ROOT/probe.err" >&2; fail "no help box"; }
    local line
    for line in '/daily' '<Daily-Logpfad>\<Computername>-<JJJJMMTT>.txt' 'HKEY_CURRENT_USER\Software\Korvel\merovant' \
        '2'$'\t''der Aufruf braucht einen Benutzer'; do
        grep -qF -- "$line" "$FX_ROOT/box.txt" || { cat "$FX_ROOT/box.txt" >&2; fail "the help lacks \"$line\""; }
    done
    wait_merovant
    [[ $MV_RC == 0 ]] || fail "exit code $MV_RC after the help"
    [[ -z $(ls "$(fixture_unix_path d)") ]] || fail "the help wrote a file"
    expect_settings_value Lokal "no key"

    # The Event Viewer's texts: the message table in the exe, one per event id.
    cp "$MEROVANT_EXE" "$FX_PREFIX/drive_c/merovant.exe"
    local id
    local -A texts=([1]='Der Export ist fehlgeschlagen: %1' [2]='konnten nicht gelesen werden: %1'
        [3]='Fehler: %1' [4]='Der Aufruf braucht einen angemeldeten Benutzer' [5]='konnten nicht gespeichert werden: %1')
    for id in 1 2 3 4 5; do
        probe eventtext 'C:\merovant.exe' "$id" >"$FX_ROOT/event.txt" || { cat "$FX_ROOT/probe.err" >&2; fail "no text for event $id"; }
        grep -qF -- "${texts[$id]}" "$FX_ROOT/event.txt" && grep -q 'Befehlszeile: %2' "$FX_ROOT/event.txt" ||
            { cat "$FX_ROOT/event.txt" >&2; fail "event $id has the wrong text"; }
        expect_crlf_lines "$FX_ROOT/event.txt" "event $id"
    done
    ! probe eventtext 'C:\merovant.exe' 6 >/dev/null || fail "event 6 should have no text"
}

run_case "$@"
