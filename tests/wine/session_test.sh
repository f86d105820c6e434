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

# Both options off and the daily-log folder, as the settings key holds them.
store_settings() {   # FOLDER
    reg_tool add "$KEY" /v Lokal /t REG_DWORD /d 0 /f
    reg_tool add "$KEY" /v Mbyte /t REG_DWORD /d 0 /f
    reg_tool add "$KEY" /v dailylog /t REG_SZ /d "$1" /f
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
    # A command line near Windows' limit of 32,767 characters still leaves its event: the
    # line is cut to the 31,839 characters ReportEvent takes (Wine's ReportEvent, a stub,
    # would take it whole, and prints only its start).
    expect_hidden 1 "/$(printf 'x%.0s' {1..32000})" 'D:\fehlt\out.txt'
    expect_event "$FX_ROOT/hidden.err" 'Ung\00fcltiger Dateiname.'
    expect_event "$FX_ROOT/hidden.err" 'C:\\merovant.exe /xxxxxxxxxx'

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
    store_settings 'D:\'
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

# The event texts Wine printed, a line each, as "TYPE TEXT" (err, warn or trace).
event_lines() { sed -n 's/^[0-9a-f]*:\(err\|warn\|trace\):eventlog:ReportEventW L"\(.*\)"$/\1 \2/p' "$1"; }
expect_event_lines() {   # FILE EXPECTED-LINE...
    diff <(event_lines "$1") <((($# > 1)) && printf '%s\n' "${@:2}") >&2 || fail "unexpected events"
}

# /warnung:N after a daily export: F:, a disk of 32 MiB with 24 MiB taken (8 MiB less its
# label and serial pages free: 25.0 %), lies below 50 % and above 10 %; D: is all free.
case_threshold_warns_of_the_drives_below_it() {
    declare_drives
    export WINEDEBUG=-all,+eventlog
    fixture_drive f hd VOLL 0000F00F 32M
    fixture_start
    mkdir "$(fixture_unix_path d)/logs"
    dd if=/dev/zero of="$(fixture_unix_path f)/belegt.bin" bs=1M count=24 status=none
    store_settings 'D:\logs'
    local name log target
    name="$(computer_name)-$(today).txt"
    log="$(fixture_unix_path d)/logs/$name"
    target="D:\\\\logs\\\\$name"   # as Wine prints it: each backslash doubled
    run_merovant_expecting 3 /daily /warnung:50
    expect_bytes "$log" "$(local_mb_table)F:\tVOLL\tlokale Festplatte\t32 \t8 \t25 %%\t0000-F00F\tNTFS\t\r\n"
    expect_event_lines "$FX_ROOT/merovant.err" 'warn F:' 'warn 8' 'warn 32' 'warn 25.0' 'warn 50' \
        "warn $target" "trace $target" 'trace 2' 'trace 25.0'

    rm "$log"
    run_merovant_expecting 0 /WARNUNG:10 /kurz /daily
    [[ $(wc -l <"$log") == 3 ]] || fail "the short daily log was not written"
    expect_event_lines "$FX_ROOT/merovant.err" "trace $target" 'trace 2' 'trace 25.0'

    # A failed export warns of nothing and leaves no heartbeat.
    expect_hidden 1 /warnung:50 'D:\fehlt\out.txt'
    expect_event_lines "$FX_ROOT/hidden.err" 'err Ung\00fcltiger Dateiname.' \
        'err C:\\merovant.exe /warnung:50 D:\\fehlt\\out.txt' 'err d:\\fehlt\\out.txt'

    # The window of an interactive run: no heartbeat, whatever the switch.
    start_merovant /warnung:20
    probe close TFMain || fail "main window not found"
    wait_merovant
    [[ $MV_RC == 0 ]] || fail "exit code $MV_RC after closing"
    expect_event_lines "$FX_ROOT/merovant.err"
}

# A threshold that would silently do nothing is an error, on screen and where nobody sees.
case_malformed_thresholds_are_errors() {
    declare_drives
    fixture_start
    store_settings 'D:\'
    local value
    for value in /warnung: /warnung:abc /warnung:0 /warnung:100 /WARNUNG:5x; do
        start_merovant /daily "$value"
        expect_error_box "Ung\\xfcltiger Wert im Schalter \"${value,,}\": erlaubt ist eine ganze Zahl von 1 bis 99."
        expect_hidden 1 /daily "$value"
        expect_event "$FX_ROOT/hidden.err" "Ung\\00fcltiger Wert im Schalter \\\"${value,,}\\\": erlaubt ist"
    done
    [[ -z $(ls "$(fixture_unix_path d)") ]] || fail "a malformed threshold let the export run"
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
    # The error events name the command line; the warnings and the heartbeat carry their
    # severity in the id's high bits (warning 0x8, information 0x4).
    local id
    local -A texts=([1]='Der Export ist fehlgeschlagen: %1' [2]='konnten nicht gelesen werden: %1'
        [3]='Fehler: %1' [4]='Der Aufruf braucht einen angemeldeten Benutzer' [5]='konnten nicht gespeichert werden: %1'
        [0x8000000a]='Laufwerk %1 hat wenig freien Platz: %2 MB von %3 MB frei' [0x8000000b]=$'Die Gr\xf6\xdfe von %1 war nicht'
        [0x40000014]=$'Export geschrieben: %1\r')
    for id in 1 2 3 4 5 0x8000000a 0x8000000b 0x40000014; do
        probe eventtext 'C:\merovant.exe' "$id" >"$FX_ROOT/event.txt" || { cat "$FX_ROOT/probe.err" >&2; fail "no text for event $id"; }
        grep -qF -- "${texts[$id]}" "$FX_ROOT/event.txt" || { cat "$FX_ROOT/event.txt" >&2; fail "event $id has the wrong text"; }
        [[ $id == 0x* ]] || grep -q 'Befehlszeile: %2' "$FX_ROOT/event.txt" || fail "event $id lacks the command line"
        expect_crlf_lines "$FX_ROOT/event.txt" "event $id"
    done
    for id in 6 10 20; do
        ! probe eventtext 'C:\merovant.exe' "$id" >/dev/null || fail "message $id should have no text"
    done
    # As the Event Viewer shows them, with their insertion strings.
    probe eventtext 'C:\merovant.exe' 0x8000000a F: 8 32 25.0 50 'D:\log.txt' >"$FX_ROOT/event.txt"
    expect_bytes "$FX_ROOT/event.txt" \
        'Laufwerk F: hat wenig freien Platz: 8 MB von 32 MB frei (25.0 %%), unter der Schwelle von 50 %%.\r\nExportziel: D:\\log.txt\r\n'
    probe eventtext 'C:\merovant.exe' 0x8000000b G: 50 'D:\log.txt' >"$FX_ROOT/event.txt"
    expect_bytes "$FX_ROOT/event.txt" 'Die Gr\xf6\xdfe von G: war nicht zu ermitteln (etwa ein gesperrtes verschl\xfcsseltes Laufwerk): die Schwelle von 50 %% lie\xdf sich nicht pr\xfcfen.\r\nExportziel: D:\\log.txt\r\n'
    probe eventtext 'C:\merovant.exe' 0x40000014 'D:\log.txt' 2 '' >"$FX_ROOT/event.txt"
    expect_bytes "$FX_ROOT/event.txt" 'Export geschrieben: D:\\log.txt\r\nAufgef\xfchrte Laufwerke: 2\r\nKleinster freier Anteil in %%: \r\n'
}

run_case "$@"
