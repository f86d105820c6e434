# Helpers of the Wine tests that run merovant.exe as a user or a scheduled task would.
# shellcheck shell=bash
# Usage in a test script: source lib.sh; then define case_<name> functions and end with
# run_case "$@" (arguments: case name, merovant.exe, probe.exe).

# shellcheck source=fixture.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/fixture.sh"

fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }

# The computer name Wine derives from the host name.
computer_name() {
    local name
    name=$(hostname)
    name=${name%%.*}
    name=${name:0:15}
    printf '%s' "${name^^}"
}

today() { date +%Y%m%d; }

# The long layout in megabytes of the drive set both scripts declare (D: 64 MB "DATEN"):
# its header line, the D: row, and the whole table of the fixed disks alone (/daily).
mb_header() {
    printf '%s' "$(computer_name)"
    printf '%s' '\tName\tTYP\tKapazit\xe4t (MB)\tFrei (MB)\tFrei in %%\tSerien-Nr\tFilesystem\t\r\n'
}
d_row() { printf '%s' 'D:\tDATEN\tlokale Festplatte\t64 \t64 \t100 %%\t12AB-34CD\tNTFS\t\r\n'; }
local_mb_table() {
    mb_header
    d_row
}

# Starts merovant.exe in the background (working directory FX_CWD); MV_PID is its pid.
# A Wine start with no desktop running creates one: two programs starting at once may each
# get a desktop of their own, and then the probe cannot see the program's boxes. That holds
# for a fresh prefix and again once its last program has ended, so the probe makes the
# desktop first, every time.
start_merovant() {
    probe ready || fail "the Wine prefix does not start"
    (cd "${FX_CWD:-$FX_PREFIX/drive_c}" && exec wine "$MEROVANT_EXE" "$@") \
        </dev/null >"$FX_ROOT/merovant.out" 2>"$FX_ROOT/merovant.err" &
    MV_PID=$!
}

# Waits for merovant.exe to end (at most 60 s); MV_RC is its exit code.
wait_merovant() {
    local i
    for ((i = 0; i < 600; i++)); do
        kill -0 "$MV_PID" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$MV_PID" 2>/dev/null; then
        kill "$MV_PID"
        fail "merovant.exe did not end"
    fi
    MV_RC=0
    wait "$MV_PID" || MV_RC=$?
}

# Runs merovant.exe to its end and checks its exit code.
run_merovant_expecting() {
    local expected=$1
    shift
    start_merovant "$@"
    wait_merovant
    [[ $MV_RC == "$expected" ]] || { cat "$FX_ROOT/merovant.err" >&2; fail "exit code $MV_RC, expected $expected (args: $*)"; }
}

# Runs the probe in the prefix; its output goes to stdout.
probe() {
    (cd "$FX_PREFIX/drive_c" && exec wine "$PROBE_EXE" "$@") </dev/null 2>"$FX_ROOT/probe.err"
}

# Answers the error box of a run and ends the program through its window's close
# command; checks the box's text (a printf format) and the exit code.
expect_error_box() {
    local text=$1 expected_rc=${2:-1}
    probe messagebox Merovant >"$FX_ROOT/box.txt" || { cat "$FX_ROOT/probe.err" >&2; fail "no error box"; }
    expect_bytes "$FX_ROOT/box.txt" "$text"
    probe close TFMain || fail "main window not found"
    wait_merovant
    [[ $MV_RC == "$expected_rc" ]] || fail "exit code $MV_RC, expected $expected_rc"
}

# Compares a file with the bytes of a printf format (\t, \r, \n, \xE4 ...).
expect_bytes() {
    local file=$1 format=$2
    [[ -f $file ]] || fail "missing file $file"
    if ! cmp -s "$file" <(printf "$format"); then
        diff <(od -c "$file") <(printf "$format" | od -c) >&2 || true
        fail "unexpected bytes in $file"
    fi
}

expect_no_file() { [[ ! -e $1 ]] || fail "$1 should not exist"; }

# Where Windows keeps what a 32-bit program and a 32-bit package use, in this prefix. A 64-bit
# Windows (a 64-bit prefix) gives them the 32-bit view: Program Files (x86), the registry's
# Wow6432Node, SysWOW64; a 32-bit one the plain places. Cases name these, never the paths:
#   X86_PROGRAM_FILES    C:\Program Files (x86) or C:\Program Files
#   PACKAGE_FOLDER       the package's folder, X86_PROGRAM_FILES\Merovant
#   PACKAGE_DIR          the same as a path of this machine
#   UNINSTALL_KEY        the key of Programs and Features that holds the package's entry
#   X86_SYSTEM_FOLDER    the system folder of a 32-bit process
#   NATIVE_PROGRAM_FILES Program Files of 64-bit programs (on 32-bit Windows the same)
#   WINDOWS_BITS         32 or 64, as the documents tell their lines apart
windows_places() {
    local software='HKLM\Software'
    case $FX_ARCH in
        win32) X86_PROGRAM_FILES='C:\Program Files' X86_SYSTEM_FOLDER='C:\windows\system32' WINDOWS_BITS=32 ;;
        win64) X86_PROGRAM_FILES='C:\Program Files (x86)' X86_SYSTEM_FOLDER='C:\windows\syswow64' WINDOWS_BITS=64
               software+='\Wow6432Node' ;;
        *) fail "no prefix architecture" ;;
    esac
    NATIVE_PROGRAM_FILES='C:\Program Files'
    UNINSTALL_KEY="$software\Microsoft\Windows\CurrentVersion\Uninstall"
    PACKAGE_FOLDER="$X86_PROGRAM_FILES\Merovant"
    PACKAGE_DIR=$(c_path "$PACKAGE_FOLDER")
}

# c_path 'C:\A\B': the path of this machine of a file on the prefix's C: drive.
c_path() {
    local path=${1#[Cc]:}
    printf '%s%s' "$FX_PREFIX/drive_c" "${path//\\//}"
}

# Runs case_<name> with a fresh fixture; the case declares drives and calls fixture_start.
run_case() {
    local name=$1
    MEROVANT_EXE=$(realpath "$2")
    PROBE_EXE=$(realpath "${3:-$2}")
    declare -F "case_$name" >/dev/null || fail "no case $name"
    fixture_begin
    windows_places
    "case_$name"
    echo "PASS: $name"
}

# reg.exe of the prefix, e.g. reg_tool add 'HKCU\Software\Korvel\merovant' /v Lokal ...
reg_tool() {
    (cd "$FX_PREFIX/drive_c" && exec wine reg "$@") </dev/null >"$FX_ROOT/reg.out" 2>&1 ||
        { cat "$FX_ROOT/reg.out" >&2; fail "reg $*"; }
}

readonly SETTINGS_KEY='Software\Korvel\merovant'

# Prints "TYPE HEXBYTES" of a settings value, "no value" or "no key".
settings_value() { probe regvalue "$SETTINGS_KEY" "$1" | tr -d '\r'; }

expect_settings_value() {
    local name=$1 expected=$2 actual
    actual=$(settings_value "$name")
    [[ $actual == "$expected" ]] || fail "value $name is \"$actual\", expected \"$expected\""
}

# The query of a key, or nothing where it is missing.
key_listing() { (cd "$FX_PREFIX/drive_c" && wine reg query "$@") </dev/null 2>/dev/null | tr -d '\r' || true; }

# ere_literal TEXT: TEXT as an extended regular expression that matches it alone, e.g. a path
# with a backslash or "(x86)".
ere_literal() { sed 's/[][\\.^$*+?(){}|]/\\&/g' <<<"$1"; }

# expect_value KEY PATTERN: a value of KEY, as reg query lists it, matches PATTERN (ERE).
expect_value() {
    local key=$1 pattern=$2
    key_listing "$key" | grep -qE "^ +$pattern\$" || { key_listing "$key" >&2; fail "$key lacks $pattern"; }
}

# The product's entry under Programs and Features, by its product code.
arp_keys() { key_listing "$UNINSTALL_KEY" | grep -E '\\\{[0-9A-F-]+\}$' || true; }

# The package is in place: this build's exe in the package's folder, and one product entry of
# VERSION. Checked before what a removal or a refused downgrade leaves, so that no case passes
# without an install.
expect_installed() {
    cmp -s "$MEROVANT_EXE" "$PACKAGE_DIR/merovant.exe" || fail "merovant.exe is not installed in $PACKAGE_FOLDER"
    local entry
    entry=$(arp_keys)
    [[ -n $entry && $(wc -l <<<"$entry") == 1 ]] || fail "not one product entry under $UNINSTALL_KEY: $entry"
    expect_value "$entry" "DisplayVersion +REG_SZ +${1//./\\.}"
}
