#!/usr/bin/env bash
# The Windows Installer package under Wine's msiexec, as a fleet's software distribution runs
# it: a quiet install with the public properties, an upgrade, a refused downgrade, removal,
# and a malformed property. Each case builds its packages with installer/make-msi.
#   installer_test.sh CASE merovant.exe probe.exe merovant_setup.dll VERSION
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$(readlink -f "$0")")/lib.sh"

readonly MAKE_MSI="$(dirname "$(readlink -f "$0")")/../../installer/make-msi"
SETUP_DLL=$(realpath "$4")
readonly SETUP_DLL VERSION=$5
readonly TASK='windows/system32/tasks/Merovant Tagesprotokoll'
readonly SOURCE_KEY='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Merovant'
readonly ACCOUNT_KEY='HKU\S-1-5-20\Software\Korvel\merovant'

# The next version: what an upgrade brings.
next_version() { local v=$1; echo "${v%.*}.$((${v##*.} + 1))"; }

# make_msi VERSION: C:\merovant-VERSION.msi, built from this build's exe and DLL.
make_msi() {
    SOURCE_DATE_EPOCH=1767225600 "$MAKE_MSI" "$MEROVANT_EXE" "$SETUP_DLL" "$1" "$FX_PREFIX/drive_c/merovant-$1.msi" ||
        fail "make-msi $1 failed"
}

# Starts the drives and a wineserver that keeps NETWORK SERVICE's profile key, which Wine
# holds in memory only while its server runs (Windows always has it loaded).
start_machine() {
    fixture_drive c cdrom
    fixture_drive d hd DATEN 12AB34CD 64M
    fixture_start
    mkdir -p "$(fixture_unix_path d)/logs"
    (cd "$FX_PREFIX/drive_c" && wineserver -p)
    reg_tool add 'HKU\S-1-5-20\Software\Microsoft' /f
}

# msiexec's ERROR_INSTALL_FAILURE (1603), of which a Linux exit status keeps the low byte.
readonly INSTALL_FAILED=$((1603 & 0xFF))

# msiexec_expecting CODE ARGS...: msiexec with a verbose log (C:\msi.log, kept in
# $FX_ROOT/msi.log), quiet, with the exit code expected.
msiexec_expecting() {
    local expected=$1 rc=0
    shift
    (cd "$FX_PREFIX/drive_c" && exec wine msiexec "$@" /qn /l*v 'C:\msi.log') </dev/null >"$FX_ROOT/msiexec.out" 2>&1 ||
        rc=$?
    cp "$FX_PREFIX/drive_c/msi.log" "$FX_ROOT/msi.log" 2>/dev/null || true
    [[ $rc == "$expected" ]] || { tail -40 "$FX_ROOT/msi.log" >&2; fail "msiexec $* ended with $rc, expected $expected"; }
}

install_with_properties() {
    make_msi "$VERSION"
    msiexec_expecting 0 /i "C:\\merovant-$VERSION.msi" AUFGABE=1 WARNUNG=10 'DAILYLOG=D:\logs'
    expect_installed "$VERSION"
}

# The task account's settings as the program's start reads them, with their types.
expect_account_settings() {
    expect_value "$ACCOUNT_KEY" 'dailylog +REG_SZ +D:\\logs'
    expect_value "$ACCOUNT_KEY" 'Lokal +REG_DWORD +0x1'
    expect_value "$ACCOUNT_KEY" 'MByte +REG_DWORD +0x1'
}

# The definition the install registered, from its log: Wine keeps only the name, the
# description and the settings of a task.
registered_definition() {
    sed -n '/geplante Aufgabe "Merovant Tagesprotokoll" eingetragen:/,/<\/Task>/p' "$FX_ROOT/msi.log" | tr -d '\r'
}
definition_element() { registered_definition | sed -n "s:.*<$1>\(.*\)</$1>.*:\1:p"; }

case_quiet_install_with_the_three_properties() {
    start_machine
    install_with_properties
    expect_value "$SOURCE_KEY" "EventMessageFile +REG_EXPAND_SZ +$(ere_literal "$PACKAGE_FOLDER\\merovant.exe")"
    expect_value "$SOURCE_KEY" 'TypesSupported +REG_DWORD +0x7'
    expect_account_settings
    [[ -f $FX_PREFIX/drive_c/$TASK ]] || fail "no task registered"
    [[ $(definition_element Command) == "$PACKAGE_FOLDER\\merovant.exe" && $(definition_element Arguments) == '/daily /warnung:10' &&
        $(definition_element UserId) == S-1-5-20 ]] || { registered_definition >&2; fail "the task's action or account"; }
    # One entry in Programs and Features: name, publisher, version, icon, no modify button.
    local entry
    entry=$(arp_keys)
    expect_value "$entry" 'DisplayName +REG_SZ +Merovant'
    expect_value "$entry" 'Publisher +REG_SZ +Korvel'
    expect_value "$entry" 'NoModify +REG_DWORD +0x1'
    # The program's icon, from the copy Windows Installer keeps of it.
    local code
    code=$(grep -o '{[0-9A-F-]*}$' <<<"$entry")
    key_listing 'HKLM\Software\Classes\Installer\Products' /s | grep -qF "\\Installer\\$code\\merovant.ico" ||
        fail "no product icon"

    # The task's action, run directly as it would run it (Wine cannot run a task as NETWORK
    # SERVICE): the program, here the user, reads the account's settings.
    reg_tool copy "$ACCOUNT_KEY" "HKCU\\$SETTINGS_KEY" /s /f
    local rc=0 arguments
    read -ra arguments <<<"$(definition_element Arguments)"
    probe hidden 20 "$(definition_element Command)" "${arguments[@]}" >/dev/null || rc=$?
    [[ $rc == 0 ]] || { cat "$FX_ROOT/probe.err" >&2; fail "the task's run ended with $rc"; }
    expect_bytes "$(fixture_unix_path d)/logs/$(computer_name)-$(today).txt" "$(local_mb_table)"
}

# An upgrade without the properties keeps the task and the settings: the old version's
# removal, which runs once the new version is in place, leaves them alone. Removing the new
# version then takes everything.
case_upgrade_keeps_the_task_and_the_settings() {
    start_machine
    install_with_properties
    local newer
    newer=$(next_version "$VERSION")
    make_msi "$newer"
    msiexec_expecting 0 /i "C:\\merovant-$newer.msi"
    [[ -f $FX_PREFIX/drive_c/$TASK ]] || fail "the upgrade deleted the task"
    expect_account_settings
    expect_value "$SOURCE_KEY" 'TypesSupported +REG_DWORD +0x7'
    expect_installed "$newer"
    remove_expecting_nothing_left "$newer"
}

# An older version is refused with a German message and exit code 1603. Wine's msiexec
# logs no launch condition's text in a quiet install: the box of a basic one shows it.
case_downgrade_is_refused() {
    start_machine
    local newer rc=0
    newer=$(next_version "$VERSION")
    make_msi "$newer"
    make_msi "$VERSION"
    msiexec_expecting 0 /i "C:\\merovant-$newer.msi"
    expect_installed "$newer"
    probe ready || fail "the Wine prefix does not start"
    (cd "$FX_PREFIX/drive_c" && exec wine msiexec /i "C:\\merovant-$VERSION.msi" /qb) </dev/null >/dev/null 2>&1 &
    local installer=$!
    probe messagebox '*' >"$FX_ROOT/box.txt" || fail "no message box"
    wait "$installer" || rc=$?
    [[ $rc == "$INSTALL_FAILED" ]] || fail "the older package ended with $rc"
    expect_bytes "$FX_ROOT/box.txt" 'Eine neuere Version von Merovant ist bereits installiert. Diese \xe4ltere Version wird nicht installiert.'
    expect_installed "$newer"
}

# Nothing the package made outlives its removal: files, folder, event source, task, the
# account's settings (and their keys), the product entry.
expect_nothing_installed() {
    [[ ! -e $PACKAGE_DIR ]] || fail "the folder is left"
    [[ ! -e $FX_PREFIX/drive_c/$TASK ]] || fail "the task is left"
    local key
    for key in "$SOURCE_KEY" 'HKU\S-1-5-20\Software\Korvel'; do
        ! (cd "$FX_PREFIX/drive_c" && wine reg query "$key") </dev/null >/dev/null 2>&1 || fail "$key is left"
    done
    [[ -z $(arp_keys) ]] || fail "a product entry is left"
}

# remove_expecting_nothing_left VERSION: the installed VERSION, removed by its package, leaves
# nothing. Wine's msiexec /x ends with 0 also where nothing was installed: the install is
# proved first.
remove_expecting_nothing_left() {
    expect_installed "$1"
    msiexec_expecting 0 /x "C:\\merovant-$1.msi"
    expect_nothing_installed
}

case_removal_leaves_nothing() {
    start_machine
    install_with_properties
    remove_expecting_nothing_left "$VERSION"
}

case_malformed_warnung_changes_nothing() {
    start_machine
    make_msi "$VERSION"
    msiexec_expecting "$INSTALL_FAILED" /i "C:\\merovant-$VERSION.msi" AUFGABE=1 WARNUNG=abc 'DAILYLOG=D:\logs'
    LC_ALL=C grep -qaF "$(printf 'Ung\xfcltiger Wert in der Eigenschaft "WARNUNG=abc": erlaubt ist eine ganze Zahl von 1 bis 99.')" \
        "$FX_ROOT/msi.log" || { tail -30 "$FX_ROOT/msi.log" >&2; fail "no German message in the log"; }
    expect_nothing_installed
}

run_case "$@"
