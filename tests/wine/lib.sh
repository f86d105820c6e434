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
# The first Wine start in a prefix creates its desktop: two programs starting at once
# may each get a desktop of their own, and then the probe cannot see the program's boxes.
start_merovant() {
    [[ -n ${FX_PREFIX_READY:-} ]] || { probe ready || fail "the Wine prefix does not start"; FX_PREFIX_READY=1; }
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

# Runs case_<name> with a fresh fixture; the case declares drives and calls fixture_start.
run_case() {
    local name=$1
    MEROVANT_EXE=$(realpath "$2")
    PROBE_EXE=$(realpath "${3:-$2}")
    declare -F "case_$name" >/dev/null || fail "no case $name"
    fixture_begin
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
