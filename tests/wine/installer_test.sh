#!/usr/bin/env bash
# The Windows Installer package under Wine's msiexec, as a fleet's software distribution runs
# it: a quiet install with the public properties, an upgrade, a refused downgrade, removal,
# a repair, malformed properties, and installs and removals that fail late, through a copy
# of the package with a failing action added here. Each case builds its packages with
# installer/make-msi.
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
readonly DEFINITION_MARK='Merovant: die Definition vor dem Eingriff'

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
# Wine ends an install whose deferred exe action fails with ERROR_FUNCTION_FAILED (1627).
readonly ACTION_FAILED=$((1627 & 0xFF))

# The key under HKLM where the package keeps AUFGABE and WARNUNG, in the package's view.
product_key() { printf '%s\\Korvel\\merovant' "${UNINSTALL_KEY%%\\Microsoft\\*}"; }

# make_failing_msi VERSION CONDITION: C:\merovant-VERSION-scheitert.msi, the package with one
# more deferred action that fails after everything of the package's own (CONDITION: when),
# as a file in use or a cancelled deployment would fail it.
make_failing_msi() {
    local copy="$FX_PREFIX/drive_c/merovant-$1-scheitert.msi"
    cp "$FX_PREFIX/drive_c/merovant-$1.msi" "$copy"
    msibuild "$copy" -q "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('Scheitern', 3106, 'TARGETDIR', 'cmd.exe /c exit 1')" &&
        msibuild "$copy" -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Condition\`, \`Sequence\`) VALUES ('Scheitern', '$2', 6595)" ||
        fail "msibuild could not add the failing action"
}

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
    # A standard user who starts a managed install cannot set the three properties: Windows
    # Installer passes on only the listed ones (Wine runs no managed install to show it).
    [[ $(msiinfo export "$FX_PREFIX/drive_c/merovant-$VERSION.msi" Property | tr -d '\r' |
        sed -n 's/^SecureCustomProperties\t//p') == 'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED' ]] ||
        fail "SecureCustomProperties lists more than the upgrade's properties"
    # What was saved for a rollback goes once the install is done.
    ! key_exists "$(product_key)-Sicherung" || fail "the saved task definition is left"
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
    # The new version registers the task again with what the installed one kept in its key.
    [[ $(definition_element Arguments) == '/daily /warnung:10' ]] || { registered_definition >&2; fail "the upgrade's task"; }
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

key_exists() { (cd "$FX_PREFIX/drive_c" && wine reg query "$1") </dev/null >/dev/null 2>&1; }

# Nothing the package made outlives its removal: files, folder, event source, task, the
# account's settings (and their keys), the product entry.
expect_nothing_installed() {
    [[ ! -e $PACKAGE_DIR ]] || fail "the folder is left"
    [[ ! -e $FX_PREFIX/drive_c/$TASK ]] || fail "the task is left"
    local key
    for key in "$SOURCE_KEY" 'HKU\S-1-5-20\Software\Korvel' "$(product_key)" "${UNINSTALL_KEY%%\\Microsoft\\*}\\Korvel" 'HKLM\Software\Korvel'; do
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

# The task's description, as Wine's task store keeps it (its action it does not keep).
task_description() {
    [[ -f $FX_PREFIX/drive_c/$TASK ]] || return 0
    sed -n 's:.*<Description>\(.*\)</Description>.*:\1:p' "$FX_PREFIX/drive_c/$TASK" | tr -d '\r'
}

# mark_task: the registered task's description replaced by DEFINITION_MARK, so that the
# definition that comes back after a failure can be told from the one that replaced it.
mark_task() {
    [[ -f $FX_PREFIX/drive_c/$TASK ]] || fail "no task to mark"
    sed -i "s|<Description>[^<]*</Description>|<Description>$DEFINITION_MARK</Description>|" "$FX_PREFIX/drive_c/$TASK"
    [[ $(task_description) == "$DEFINITION_MARK" ]] || fail "the task could not be marked"
}

# msiexec_failing ARGS...: an install or removal that must fail late (1603, or Wine's 1627).
msiexec_failing() {
    local rc=0
    (cd "$FX_PREFIX/drive_c" && exec wine msiexec "$@" /qn /l*v 'C:\msi.log') </dev/null >"$FX_ROOT/msiexec.out" 2>&1 || rc=$?
    cp "$FX_PREFIX/drive_c/msi.log" "$FX_ROOT/msi.log" 2>/dev/null || true
    [[ $rc == "$INSTALL_FAILED" || $rc == "$ACTION_FAILED" ]] || { tail -40 "$FX_ROOT/msi.log" >&2; fail "msiexec $* ended with $rc"; }
    grep -qa 'Scheitern' "$FX_ROOT/msi.log" || fail "the failing action did not run: the failure came earlier"
    echo "msiexec $1 failed as planned with $rc (the low byte of 1603 is $INSTALL_FAILED, of 1627 $ACTION_FAILED)"
}

# A removal that fails after the task was deleted brings it back, as it was.
case_failed_removal_keeps_the_task() {
    start_machine
    make_msi "$VERSION"
    make_failing_msi "$VERSION" 'REMOVE~="ALL"'
    msiexec_expecting 0 /i "C:\\merovant-$VERSION-scheitert.msi" AUFGABE=1 WARNUNG=10 'DAILYLOG=D:\logs'
    expect_installed "$VERSION"
    mark_task
    msiexec_failing /x "C:\\merovant-$VERSION-scheitert.msi"
    grep -qa 'geplante Aufgabe "Merovant Tagesprotokoll" gel' "$FX_ROOT/msi.log" || fail "the removal never deleted the task"
    [[ $(task_description) == "$DEFINITION_MARK" ]] || fail "the task is \"$(task_description)\" after the failed removal"
}

# An upgrade with AUFGABE=1 that fails after it replaced the task brings back the old
# definition. Wine does not reinstall the old version that RemoveExistingProducts removed
# (Windows does): the task is the package's own duty, the product's registration is not.
case_failed_upgrade_keeps_the_old_definition() {
    start_machine
    install_with_properties
    mark_task
    local newer
    newer=$(next_version "$VERSION")
    make_msi "$newer"
    make_failing_msi "$newer" 'NOT REMOVE~="ALL"'
    msiexec_failing /i "C:\\merovant-$newer-scheitert.msi" AUFGABE=1 WARNUNG=20
    [[ $(definition_element Arguments) == '/daily /warnung:20' ]] || fail "the upgrade never replaced the task"
    [[ $(task_description) == "$DEFINITION_MARK" ]] || fail "the task is \"$(task_description)\" after the failed upgrade"
}

# A fresh install that fails after it registered its task leaves a task of the same name
# that was there before, for example one of version 1.0's recipe, as it was.
case_failed_install_keeps_a_foreign_task() {
    start_machine
    make_msi "$VERSION"
    expect_installed_nowhere
    sed "s|<Description>[^<]*</Description>|<Description>$DEFINITION_MARK</Description>|" \
        "$(dirname "$(readlink -f "$0")")/../../installer/merovant-aufgabe.xml" >"$FX_PREFIX/drive_c/fremd.xml"
    (cd "$FX_PREFIX/drive_c" && exec wine schtasks /create /tn 'Merovant Tagesprotokoll' /xml 'C:\fremd.xml') \
        </dev/null >"$FX_ROOT/schtasks.out" 2>&1 || { cat "$FX_ROOT/schtasks.out" >&2; fail "schtasks /create failed"; }
    [[ $(task_description) == "$DEFINITION_MARK" ]] || fail "no foreign task"
    make_failing_msi "$VERSION" 'NOT REMOVE~="ALL"'
    msiexec_failing /i "C:\\merovant-$VERSION-scheitert.msi" AUFGABE=1 'DAILYLOG=D:\logs'
    [[ -n $(definition_element Command) ]] || fail "the install never registered its task"
    [[ $(task_description) == "$DEFINITION_MARK" ]] || fail "the task is \"$(task_description)\" after the failed install"
    expect_installed_nowhere
}

# Before the failing install: no product entry of the package.
expect_installed_nowhere() { [[ -z $(arp_keys) ]] || fail "a product entry is there: $(arp_keys)"; }

# A repair registers a deleted task again with the definition the install gave it: the
# package keeps AUFGABE and WARNUNG in its key under HKLM. Wine's msiexec answers /fa with
# 1605; REINSTALL=ALL REINSTALLMODE=a is the same repair.
case_repair_brings_back_a_deleted_task() {
    start_machine
    install_with_properties
    expect_value "$(product_key)" 'Aufgabe +REG_SZ +1'
    expect_value "$(product_key)" 'Warnung +REG_SZ +10'
    (cd "$FX_PREFIX/drive_c" && exec wine schtasks /delete /tn 'Merovant Tagesprotokoll' /f) </dev/null >/dev/null 2>&1 ||
        fail "schtasks /delete failed"
    [[ ! -e $FX_PREFIX/drive_c/$TASK ]] || fail "the task was not deleted"
    msiexec_expecting 0 /i "C:\\merovant-$VERSION.msi" REINSTALL=ALL REINSTALLMODE=a
    [[ -f $FX_PREFIX/drive_c/$TASK ]] || fail "the repair did not bring the task back"
    [[ $(definition_element Arguments) == '/daily /warnung:10' ]] || { registered_definition >&2; fail "the repaired task's arguments"; }
    expect_installed "$VERSION"
}

# Removal takes the package's own key of the task account, and leaves another program's
# beside it, and the vendor's key that holds it.
case_removal_leaves_a_sibling_under_the_vendor_key() {
    start_machine
    install_with_properties
    reg_tool add 'HKU\S-1-5-20\Software\Korvel\andere' /v Wert /d 1 /f
    msiexec_expecting 0 /x "C:\\merovant-$VERSION.msi"
    [[ -z $(arp_keys) ]] || fail "the product entry is left"
    expect_value 'HKU\S-1-5-20\Software\Korvel\andere' 'Wert +REG_SZ +1'
    ! key_exists "$ACCOUNT_KEY" || fail "$ACCOUNT_KEY is left"
    ! key_exists "$(product_key)" || fail "$(product_key) is left"
}

# AUFGABE=1 with no folder given and none stored for the task account is refused before
# anything changes; a folder written there by other means (Group Policy Preferences) counts.
case_aufgabe_without_a_folder_is_refused() {
    start_machine
    make_msi "$VERSION"
    msiexec_expecting 0 /i "C:\\merovant-$VERSION.msi"
    expect_installed "$VERSION"
    local newer
    newer=$(next_version "$VERSION")
    make_msi "$newer"
    msiexec_expecting "$INSTALL_FAILED" /i "C:\\merovant-$newer.msi" AUFGABE=1
    LC_ALL=C grep -qaF "$(printf 'Die Eigenschaft "AUFGABE=1" braucht einen Ordner f\xfcr das Tagesprotokoll: DAILYLOG fehlt, und f\xfcr das Konto NETWORK SERVICE ist keiner eingetragen.')" \
        "$FX_ROOT/msi.log" || { tail -30 "$FX_ROOT/msi.log" >&2; fail "no German message in the log"; }
    expect_installed "$VERSION"
    [[ ! -e $FX_PREFIX/drive_c/$TASK ]] || fail "a task was registered"
    reg_tool add "$ACCOUNT_KEY" /v dailylog /d 'D:\logs' /f
    msiexec_expecting 0 /i "C:\\merovant-$newer.msi" AUFGABE=1
    expect_installed "$newer"
    [[ -f $FX_PREFIX/drive_c/$TASK ]] || fail "the folder of the task account did not count"
}

run_case "$@"
