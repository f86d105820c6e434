#!/usr/bin/env bash
# The command lines of docs/benutzerhandbuch.md and docs/referenz.md, run under Wine as an
# administrator runs them: the package's msiexec lines (install, the collector's install,
# removal), the move from 1.0, the reference's `reg add` lines and .reg file, each followed by
# runs that show what merovant.exe then reads. Every block of the guide is run by a case here
# or named below as one Wine cannot run, with the reason.
#   guide_test.sh CASE merovant.exe probe.exe merovant_setup.dll VERSION
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$(readlink -f "$0")")/lib.sh"

readonly DOCS="$(dirname "$(readlink -f "$0")")/../../docs"
readonly GUIDE=$DOCS/benutzerhandbuch.md REFERENCE=$DOCS/referenz.md
readonly MAKE_MSI="$(dirname "$(readlink -f "$0")")/../../installer/make-msi"
readonly TASK_DEFINITION="$(dirname "$(readlink -f "$0")")/../../installer/merovant-aufgabe.xml"
SETUP_DLL=$(realpath "${4:-/dev/null}")
readonly SETUP_DLL VERSION=${5:-}
readonly SYSTEM_KEY='HKU\S-1-5-18\Software\Korvel\merovant' ACCOUNT_KEY='HKU\S-1-5-20\Software\Korvel\merovant'
readonly SOURCE_KEY='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Merovant'
readonly TASK='windows/system32/tasks/Merovant Tagesprotokoll' SHARE='\\fileserver\merovant'

# The guide's blocks that run here, by the case that runs them.
declare -rA RUN_HERE=(
    ["msiexec: flotte"]=msiexec_lines_install_and_remove
    ["msiexec: sammelserver"]=msiexec_lines_install_and_remove
    ["msiexec: entfernen"]=msiexec_lines_install_and_remove
    ["cmd: umstieg"]=move_from_1_0
)
# The blocks of the guide, and the recipes it moved to the reference, that Wine cannot run,
# and why.
declare -rA NOT_UNDER_WINE=(
    ["not-windows: sign"]="runs on Debian; the test package.reproducible_and_signed signs the same way"
    ["powershell: applocker"]="PowerShell and AppLocker"
    ["powershell: wdac"]="PowerShell and WDAC"
    ["powershell: softwarefreigabe"]="PowerShell, Active Directory and SMB shares"
    ["powershell: sammelordner"]="PowerShell, Active Directory and SMB shares"
    ["powershell: kontingent"]="the File Server Resource Manager"
    ["cmd: aufbewahrung"]="forfiles"
    ["cmd: sammelserver"]="winrm, netsh's URL reservations and wecutil, the event collector"
    ["powershell: morgen-basis"]="PowerShell, Get-WinEvent on forwarded events and Active Directory"
    ["powershell: morgen-knapp"]="PowerShell and forwarded events"
    ["powershell: morgen-fehlt"]="PowerShell and forwarded events"
    ["powershell: morgen-fehler"]="PowerShell and forwarded events"
    ["powershell: morgen-blick"]="PowerShell and forwarded events"
    ["powershell: lokaler-ordner"]="PowerShell and Intune"
    ["powershell: korrektur"]="PowerShell and Intune"
    ["power-query: tagesprotokoll"]="Excel's Power Query"
)

# The lines of the fenced block after "<!-- MARKER -->" in the guide or the reference.
doc_block() {
    awk -v marker="<!-- $1 -->" '$0 == marker { on = 1; next }
        on && /^```/ { if (++fences == 2) exit; next } on && fences == 1' "$GUIDE" "$REFERENCE"
}

# The marker before each fenced block of the guide; "-" for a block without one.
guide_markers() {
    awk '/^```/ { if (!open) print (previous ~ /^<!-- .* -->$/ ? substr(previous, 6, length(previous) - 9) : "-");
                  open = !open; next }
         { previous = $0 }' "$GUIDE"
}

# Every block of the guide has a marker, and a case here runs it or it is named as one
# Wine cannot run. The guide stays short, and the task definition it points to is the
# package's own.
case_every_guide_block_is_run_or_marked() {
    local marker count=0
    while IFS= read -r marker; do
        count=$((count + 1))
        [[ $marker != - ]] || fail "a block of the guide has no marker comment"
        [[ -n ${RUN_HERE[$marker]:-} || -n ${NOT_UNDER_WINE[$marker]:-} ]] ||
            fail "the guide's block \"$marker\" is neither run here nor named as one Wine cannot run"
    done < <(guide_markers)
    for marker in "${!RUN_HERE[@]}" "${!NOT_UNDER_WINE[@]}"; do
        [[ -n $(doc_block "$marker") ]] || fail "the guide has no block marked $marker"
    done
    echo "$count blocks; not run under Wine:"
    for marker in "${!NOT_UNDER_WINE[@]}"; do echo "  $marker: ${NOT_UNDER_WINE[$marker]}"; done
    (($(wc -l <"$GUIDE") <= 450)) || fail "the guide has $(wc -l <"$GUIDE") lines, more than 450"
    cmp -s <(doc_block task-xml) "$TASK_DEFINITION" || fail "the reference's task-xml is not installer/merovant-aufgabe.xml"
}

# Runs each line of a block with the prefix's reg.exe, split as the Windows command line is:
# blanks separate, double quotes group, backslashes stay as they are.
run_reg_lines() {
    local line rest count=0
    local -a words
    while IFS= read -r line; do
        count=$((count + 1))
        [[ $line == "reg "* ]] || fail "not a reg line in the reference: $line"
        words=() rest=${line#reg }
        while [[ $rest =~ ^\ *(\"([^\"]*)\"|([^ \"]+))(.*)$ ]]; do
            words+=("${BASH_REMATCH[2]}${BASH_REMATCH[3]}")
            rest=${BASH_REMATCH[4]}
        done
        reg_tool "${words[@]}"
    done < <(doc_block "$1")
    [[ $count -gt 0 ]] || fail "the reference has no block marked $1"
}

start_drives() {
    fixture_drive c cdrom
    fixture_drive d hd DATEN 12AB34CD 64M
    fixture_start
}

# The daily run (DAILY_RUN, by default C:\merovant.exe /daily) reads the folder the settings
# name, on a server the test has not: the run fails, and its event names the file it tried.
expect_daily_log_on_the_share() {
    local rc=0
    WINEDEBUG=-all,err+eventlog probe hidden 20 "${DAILY_RUN[@]}" >/dev/null || rc=$?
    [[ $rc == 1 ]] || { cat "$FX_ROOT/probe.err" >&2; fail "daily run ended with $rc, expected 1"; }
    grep -qF "ReportEventW L\"${SHARE//\\/\\\\}\\\\$(computer_name)-$(today).txt\"" "$FX_ROOT/probe.err" ||
        { cat "$FX_ROOT/probe.err" >&2; fail "the daily log went elsewhere"; }
}

# The values in the settings key as the program reads them: the local disks in megabytes
# (no switch asks for them), and the daily log on the share.
expect_reference_settings() {
    DAILY_RUN=('C:\merovant.exe' /daily)
    start_drives
    "$@"
    run_merovant_expecting 0 'D:\out.txt'
    expect_bytes "$(fixture_unix_path d)/out.txt" "$(local_mb_table)"
    cp "$MEROVANT_EXE" "$FX_PREFIX/drive_c/merovant.exe"
    expect_daily_log_on_the_share
}

# The lines for one's own account (HKEY_CURRENT_USER).
case_reg_add_lines_for_the_current_user() { expect_reference_settings run_reg_lines "reg-lines: hkcu"; }

# A copy of a key of HKEY_USERS for the program, which runs here as the user.
copy_to_user() { reg_tool copy "$1" "HKCU\\$SETTINGS_KEY" /s /f; }

system_lines() {
    run_reg_lines "reg-lines: system"
    copy_to_user "$SYSTEM_KEY"
}
case_reg_add_lines_for_system() { expect_reference_settings system_lines; }

# A block saved as a file of the prefix, with the CR LF line ends of Windows.
save_block() {
    mkdir -p "$(dirname "$2")"
    doc_block "$1" | sed 's/$/\r/' >"$2"
    [[ -s $2 ]] || fail "no block marked $1"
}

# The .reg example, saved as Windows' editor saves it and imported.
import_reg_file() {
    save_block reg-sample "$FX_PREFIX/drive_c/merovant.reg"
    reg_tool import 'C:\merovant.reg'
}
case_reg_file_import() { expect_reference_settings import_reg_file; }

# Runs a block as a script of the prefix with Wine's cmd, beside the package the guide names
# (C:\merovant-VERSION.msi, built from this build), from C:\ or from the folder of drive_c
# the second argument names; prints the script's exit code.
run_block() {
    local rc=0
    save_block "$1" "$FX_PREFIX/drive_c/block.cmd"
    (cd "$FX_PREFIX/drive_c/${2:-}" && exec wine cmd /c 'C:\block.cmd') </dev/null >"$FX_ROOT/cmd.out" 2>&1 || rc=$?
    echo "$rc"
}

# The package of this build under the name the guide's lines use; a guide that names another
# version fails here.
provide_package() {
    SOURCE_DATE_EPOCH=1767225600 "$MAKE_MSI" "$MEROVANT_EXE" "$SETUP_DLL" "$VERSION" \
        "$FX_PREFIX/drive_c/merovant-$VERSION.msi" || fail "make-msi failed"
    grep -qF "merovant-$VERSION.msi" <(doc_block "msiexec: flotte") ||
        fail "the guide's msiexec line does not name merovant-$VERSION.msi, this build's package"
    INSTALLED="$PACKAGE_FOLDER\\merovant.exe"
    # NETWORK SERVICE's profile key lives in Wine only while its server runs.
    (cd "$FX_PREFIX/drive_c" && wineserver -p)
    reg_tool add 'HKU\S-1-5-20\Software\Microsoft' /f
}

key_exists() { (cd "$FX_PREFIX/drive_c" && wine reg query "$1") </dev/null >/dev/null 2>&1; }

# The definition the package registered, from the log the guide's line writes.
registered() {
    sed -n '/geplante Aufgabe "Merovant Tagesprotokoll" eingetragen:/,/<\/Task>/p' \
        "$FX_PREFIX/drive_c/windows/temp/merovant.log" | sed -n "s:.*<$1>\(.*\)</$1>.*:\1:p"
}

# The event source names the installed program, whose message table the Event Viewer reads.
expect_event_source() {
    reg_tool query "$SOURCE_KEY"
    # Compared as text: "Program Files (x86)" holds what a regular expression would read as a group.
    WANT=$1 awk '{ sub(/\r$/, "") } sub(/^ +EventMessageFile +REG_EXPAND_SZ +/, "") && $0 == ENVIRON["WANT"] { found = 1 }
        END { exit !found }' "$FX_ROOT/reg.out" ||
        { cat "$FX_ROOT/reg.out" >&2; fail "the event source does not name $1"; }
}

# The fleet's line installs program, event source, task and settings; the program then reads
# the share from the task account's settings, run as the task's action starts it. The
# collector's line installs program and event source only. The removal line leaves nothing.
# The reference's lines for the event source without the package register it as the package
# did.
case_msiexec_lines_install_and_remove() {
    start_drives
    provide_package
    [[ $(run_block "msiexec: flotte") == 0 ]] || { cat "$FX_ROOT/cmd.out" >&2; fail "the fleet's msiexec line failed"; }
    expect_installed "$VERSION"
    expect_event_source "$INSTALLED"
    [[ -f $FX_PREFIX/drive_c/$TASK && $(registered Command) == "$INSTALLED" && $(registered Arguments) == '/daily /warnung:10' ]] ||
        fail "the task does not run $INSTALLED /daily /warnung:10"
    copy_to_user "$ACCOUNT_KEY"
    local arguments
    read -ra arguments <<<"$(registered Arguments)"
    DAILY_RUN=("$(registered Command)" "${arguments[@]}")
    expect_daily_log_on_the_share

    [[ $(run_block "msiexec: entfernen") == 0 ]] || { cat "$FX_ROOT/cmd.out" >&2; fail "the removal line failed"; }
    [[ ! -e $PACKAGE_DIR && ! -e $FX_PREFIX/drive_c/$TASK && -z $(arp_keys) ]] || fail "the folder, the task or the product entry is left"
    ! key_exists "$ACCOUNT_KEY" && ! key_exists "$SOURCE_KEY" || fail "the settings or the event source are left"

    [[ $(run_block "msiexec: sammelserver") == 0 ]] || { cat "$FX_ROOT/cmd.out" >&2; fail "the collector's line failed"; }
    expect_installed "$VERSION"
    expect_event_source "$INSTALLED"
    [[ ! -e $FX_PREFIX/drive_c/$TASK ]] && ! key_exists "$ACCOUNT_KEY" || fail "the collector got a task or settings"
    [[ $(run_block "msiexec: entfernen") == 0 ]] || fail "the second removal failed"
    run_reg_lines "reg-lines: event-source-$WINDOWS_BITS"
    expect_event_source "$INSTALLED"
}

# A 1.0 install: the exe in C:\Tools\Merovant, a task of the package's name, SYSTEM's
# settings; on 64-bit Windows also 1.1's folder in the 64-bit Program Files, which is not the
# package's there. The guide's move leaves the package's program and task, and nothing of 1.0
# or 1.1. Wine's icacls is a stub: the owner and the rights are not checked here.
case_move_from_1_0() {
    start_drives
    provide_package
    mkdir -p "$FX_PREFIX/drive_c/Tools/Merovant"
    cp "$MEROVANT_EXE" "$FX_PREFIX/drive_c/Tools/Merovant/merovant.exe"
    local old_folder
    old_folder=$(c_path "$NATIVE_PROGRAM_FILES\\Merovant")
    if [[ $old_folder != "$PACKAGE_DIR" ]]; then
        mkdir -p "$old_folder"
        cp "$MEROVANT_EXE" "$old_folder/merovant.exe"
    fi
    reg_tool add "$SYSTEM_KEY" /v dailylog /t REG_SZ /d 'C:\Tools' /f
    # Wine's schtasks creates tasks from a definition file only.
    cp "$TASK_DEFINITION" "$FX_PREFIX/drive_c/aufgabe-1.0.xml"
    (cd "$FX_PREFIX/drive_c" && wine schtasks /Create /TN 'Merovant Tagesprotokoll' /XML 'C:\aufgabe-1.0.xml' /F) \
        </dev/null >"$FX_ROOT/schtasks.out" 2>&1 || { cat "$FX_ROOT/schtasks.out" >&2; fail "no 1.0 task"; }
    # From another working folder: the script finds the package beside itself.
    run_block "cmd: umstieg" windows >/dev/null
    expect_installed "$VERSION"
    [[ ! -e $FX_PREFIX/drive_c/Tools/Merovant ]] || fail "the 1.0 folder is left"
    [[ $old_folder == "$PACKAGE_DIR" || ! -e $old_folder ]] || fail "1.1's folder is left"
    ! key_exists "$SYSTEM_KEY" || fail "SYSTEM's settings are left"
    [[ -f $FX_PREFIX/drive_c/$TASK && $(registered Command) == "$INSTALLED" ]] || fail "the task is not the package's"
    # A second run keeps the package, also on 32-bit Windows, where its folder is 1.1's old one.
    run_block "cmd: umstieg" windows >/dev/null
    expect_installed "$VERSION"
    [[ -f $FX_PREFIX/drive_c/$TASK ]] || fail "a second run removed the task"
}

run_case "$@"
