# shellcheck shell=bash
# Wine test fixture for merovant.exe: a private, throw-away Wine prefix per test,
# with drives of declared type, label, serial and (via tmpfs) exact size.
#
#   source tests/wine/fixture.sh
#   fixture_begin                                # temp root, prefix copied from a shared template
#   fixture_drive c hd SYSTEM 0C0C0C0C 256M      # optional: configure C:
#   fixture_drive d hd DATEN 12AB34CD 64M        # declare further drives ...
#   fixture_start                                # ... materialise them, start Xvfb if needed
#   fixture_wine path/to/prog.exe args || rc=$?  # run it, output is passed through
#   (fixture_end runs from the EXIT trap)
#
# Mounting (tmpfs, overlay) needs root or CAP_SYS_ADMIN. Without it C: becomes a plain
# copy, and a test that asks for an exact drive size is skipped (exit 77).
# fixture_begin installs EXIT/INT/TERM traps; a test that needs its own EXIT trap must
# call fixture_end from it.

FX_ROOT=""
FX_PREFIX=""
FX_XVFB_PID=""
FX_STARTED=0
FX_MOUNTS=()
FX_LETTERS=()
declare -gA FX_TYPE=() FX_LABEL=() FX_SERIAL=() FX_SIZE=()

_fx_say() { printf 'wine fixture: %s\n' "$*" >&2; }

# shellcheck source=../../scripts/lib/common.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../../scripts/lib/common.sh"

# The prefix the test programs run in: MEROVANT_WINE_ARCH (set by the build for each run of
# its tests) is win32 or win64; the loader, the template and WINEARCH follow from it
# (wine_prefix). The i686 build runs in both, the x86_64 one in win64 only.
_fx_wine_arch() {
    wine_prefix "${MEROVANT_WINE_ARCH:-win32}"
    FX_ARCH=$WINE_ARCH
    wine_commands "$FX_ROOT/bin"
}

# The template exists, was made for this architecture and was booted by the installed Wine.
# One of the other architecture (made by hand, or by an older checkout that booted it
# without WINEARCH) would make every test fail with "WINEARCH set to ... but ... is a
# 64-bit installation"; after a Wine upgrade every copy would re-run the prefix update on
# its first start (slow, and it writes into C:). Either is rebuilt.
_fx_template_ok() {
    local inf=/usr/share/wine/wine.inf stamp
    [[ -f $FX_TEMPLATE/system.reg && $(prefix_arch "$FX_TEMPLATE") == "$FX_ARCH" ]] || return 1
    [[ -f $inf ]] || return 0
    read -r stamp <"$FX_TEMPLATE/.update-timestamp" || return 1
    [[ ${stamp%$'\r'} == "$(stat -c %Y "$inf")" ]]   # Wine ends the line with CR LF
}

# The template prefix is booted once (about 10 s) and shared by all tests of this user.
# It is built in a temp dir and renamed when complete, so its existence means "ready".
# An unusable one is renamed first, since running tests may still use it.
_fx_template() {
    FX_TEMPLATE=$WINE_TEMPLATE
    _fx_template_ok && return 0
    mkdir -p "$(dirname "$FX_TEMPLATE")"
    (
        flock 9
        _fx_template_ok && exit 0
        if [[ -e $FX_TEMPLATE ]]; then
            _fx_say "rebuilding $FX_TEMPLATE: made for '$(prefix_arch "$FX_TEMPLATE")' or by another Wine, needed: $FX_ARCH"
            mv -T "$FX_TEMPLATE" "$(mktemp -u "$FX_TEMPLATE.old.XXXXXX")"
        fi
        # Older ones go once no C: overlay uses any template (mounts keep the old name).
        grep -qF "lowerdir=$FX_TEMPLATE" /proc/self/mounts || rm -rf "$FX_TEMPLATE".old.*
        tmp=$(mktemp -d "$FX_TEMPLATE.new.XXXXXX")
        _fx_say "creating template prefix $FX_TEMPLATE ($FX_ARCH)"
        # Fixed locale (make_prefix), so the template does not depend on which test happens
        # to create it.
        if ! make_prefix "$tmp/prefix" "$tmp/boot.log" || [[ ! -d $tmp/prefix/drive_c/windows ]]; then
            cat "$tmp/boot.log" >&2
            _fx_say "the new prefix is not a $FX_ARCH installation: $(prefix_arch "$tmp/prefix")"
            rm -rf "$tmp"
            exit 1
        fi
        mv -T "$tmp/prefix" "$FX_TEMPLATE"
        rm -rf "$tmp"
    ) 9>"$FX_TEMPLATE.lock" || { _fx_say "template creation failed"; return 1; }
}

# Wine takes its Windows locale from LC_ALL by itself, but converts Unix file names with
# the host C library's locale. If that locale is not installed, non-ASCII file names come
# out garbled, so compile it once next to the template and point LOCPATH at it.
_fx_locale() {
    [[ -n ${LC_ALL:-} ]] || export LC_ALL=C.UTF-8   # never plain C: it garbles non-ASCII names
    [[ $(locale charmap 2>/dev/null) == UTF-8 ]] && return 0
    [[ $LC_ALL == *.[Uu][Tt][Ff]-8* || $LC_ALL == *.utf8* ]] || return 0
    local dir="$FX_TEMPLATE.locales" input=${LC_ALL%%.*}
    [[ $LC_ALL == *@* ]] && input+="@${LC_ALL#*@}"
    mkdir -p "$dir"
    ( flock 9
      [[ -d $dir/$LC_ALL ]] && exit 0
      rm -rf "$dir/.new"
      localedef -i "$input" -f UTF-8 "$dir/.new" >/dev/null 2>&1   # exits 1 on mere warnings
      [[ -f $dir/.new/LC_CTYPE ]] && mv -T "$dir/.new" "$dir/$LC_ALL"
    ) 9>"$dir/.lock" || {
        _fx_say "host locale $LC_ALL is missing and cannot be built: non-ASCII file names will be wrong"
        return 0
    }
    export LOCPATH="$dir"
}

_fx_mount() {   # _fx_mount DIR MOUNT-ARGS... ; records DIR for fixture_end
    local dir=$1; shift
    mount "$@" "$dir" 2>>"$FX_ROOT/mount.err" || return 1
    FX_MOUNTS+=("$dir")
}

# Unmount whatever is still mounted below a directory, deepest first.
_fx_umount_under() {
    local m
    awk -v r="$1/" 'index($2, r) == 1 { print $2 }' /proc/self/mounts | sort -r |
        while read -r m; do umount "$m" 2>/dev/null || umount -l "$m"; done
    ! awk -v r="$1/" 'index($2, r) == 1 { f = 1 } END { exit !f }' /proc/self/mounts
}

# Roots left behind by tests that were killed (e.g. by a CTest timeout). The owner file
# names the test's shell and its pid namespace; roots from other namespaces are left alone.
_fx_owner() { echo "$$ $(readlink /proc/self/ns/pid)"; }
_fx_reap_stale() {
    local d pid ns me
    read -r _ me <<<"$(_fx_owner)"
    for d in /tmp/merovant-wine.*; do
        read -r pid ns 2>/dev/null <"$d/owner" || continue
        if [[ $ns != "$me" || ! $pid =~ ^[0-9]+$ ]] || kill -0 "$pid" 2>/dev/null; then continue; fi
        WINEPREFIX="$d/prefix" wineserver -k >/dev/null 2>&1 || true
        read -r pid 2>/dev/null <"$d/xvfb.pid" &&
            [[ $(tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline") == "Xvfb -displayfd"* ]] && kill "$pid"
        _fx_umount_under "$d" && rm -rf --one-file-system "$d"
    done
    return 0
}

fixture_begin() {
    [[ -z $FX_ROOT ]] || { _fx_say "fixture_begin called twice"; return 1; }
    FX_STARTED=0 FX_MOUNTS=() FX_LETTERS=()
    FX_TYPE=() FX_LABEL=() FX_SERIAL=() FX_SIZE=()
    _fx_reap_stale
    FX_ROOT=$(mktemp -d /tmp/merovant-wine.XXXXXX)
    _fx_owner >"$FX_ROOT/owner"
    trap fixture_end EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    _fx_wine_arch
    _fx_template || return 1
    _fx_locale
    FX_PREFIX="$FX_ROOT/prefix"
    export WINEPREFIX="$FX_PREFIX" WINEDEBUG=${MEROVANT_WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH="$FX_ARCH"
    mkdir -p "$FX_PREFIX/drive_c" "$FX_ROOT/drives"
    # .update-timestamp matches the installed Wine, so the first start does not re-run wineboot.
    cp -a "$FX_TEMPLATE"/{system.reg,user.reg,userdef.reg,.update-timestamp,dosdevices} "$FX_PREFIX/" || return 1
    rm -f "$FX_PREFIX/dosdevices/z:"   # only declared drives besides C:
    fixture_drive c hd
}

# fixture_drive LETTER TYPE [LABEL] [SERIAL] [SIZE]
#   TYPE: hd network cdrom floppy ramdisk, or missing (link to a folder that does not exist)
#   SERIAL: 8 hex digits; SIZE: tmpfs size (bytes, or with k/m/g suffix)
fixture_drive() {
    local l=${1,,} type=${2:-} label=${3:-} serial=${4:-} size=${5:-}
    [[ $FX_STARTED == 0 && -n $FX_ROOT ]] || { _fx_say "declare drives between fixture_begin and fixture_start"; return 1; }
    [[ $l =~ ^[a-z]$ ]] || { _fx_say "bad drive letter '$1'"; return 1; }
    [[ $type =~ ^(hd|network|cdrom|floppy|ramdisk|missing)$ && ! ($l == c && $type == missing) ]] ||
        { _fx_say "bad type '$type' for $l:"; return 1; }
    [[ -z $serial || $serial =~ ^[0-9A-Fa-f]{8}$ ]] || { _fx_say "bad serial '$serial' for $l:"; return 1; }
    [[ -z $size || $size =~ ^[0-9]+[KkMmGg]?$ ]] || { _fx_say "bad size '$size' for $l:"; return 1; }
    [[ -v "FX_TYPE[$l]" ]] || FX_LETTERS+=("$l")
    FX_TYPE[$l]=$type FX_LABEL[$l]=$label FX_SERIAL[$l]=$serial FX_SIZE[$l]=$size
}

fixture_unix_path() {
    local l=${1,,}
    if [[ $l == c ]]; then echo "$FX_PREFIX/drive_c"; else echo "$FX_ROOT/drives/$l"; fi
}

# Wine reads label and serial from these files in the drive root; on a tmpfs each
# costs one 4 KiB page of the drive's free space.
_fx_volume_files() {
    local dir
    dir=$(fixture_unix_path "$1")
    [[ -z ${FX_LABEL[$1]} ]] || printf '%s' "${FX_LABEL[$1]}" >"$dir/.windows-label"
    [[ -z ${FX_SERIAL[$1]} ]] || printf '%s' "${FX_SERIAL[$1]^^}" >"$dir/.windows-serial"
}

_fx_skip() {
    echo "SKIPPED: $*"
    cat "$FX_ROOT/mount.err" 2>/dev/null
    exit 77
}

# C: is an overlay of the template's drive_c with its writable layer on a tmpfs, so its
# size and free space are exact and independent of the host disk.
_fx_drive_c() {
    local layer="$FX_ROOT/c-layer" size=${FX_SIZE["c"]}
    mkdir -p "$layer"
    if _fx_mount "$layer" -t tmpfs -o "size=${size:-512M},mode=0755" tmpfs &&
       mkdir "$layer/upper" "$layer/work" &&
       _fx_mount "$FX_PREFIX/drive_c" -t overlay -o \
           "lowerdir=$FX_TEMPLATE/drive_c,upperdir=$layer/upper,workdir=$layer/work" overlay; then
        return 0
    fi
    [[ -z $size ]] || _fx_skip "C: of exact size $size needs tmpfs and overlay mounts (root)"
    _fx_umount_under "$FX_ROOT" || return 1
    FX_MOUNTS=()
    cp -a "$FX_TEMPLATE/drive_c/." "$FX_PREFIX/drive_c/"
}

fixture_start() {
    [[ $FX_STARTED == 0 && -n $FX_ROOT ]] || { _fx_say "fixture_start without fixture_begin"; return 1; }
    FX_STARTED=1
    local l dir
    # C: last: its fallback copy is slow, and a drive we cannot provide skips the test anyway.
    for l in "${FX_LETTERS[@]}"; do
        [[ $l != c ]] || continue
        dir=$(fixture_unix_path "$l")
        ln -sfn "$dir" "$FX_PREFIX/dosdevices/$l:"
        [[ ${FX_TYPE[$l]} != missing ]] || continue
        mkdir -p "$dir"
        if [[ -n ${FX_SIZE[$l]} ]]; then
            _fx_mount "$dir" -t tmpfs -o "size=${FX_SIZE[$l]},mode=0755" tmpfs ||
                _fx_skip "drive $l: of exact size ${FX_SIZE[$l]} needs a tmpfs mount (root)"
        fi
        _fx_volume_files "$l"
    done
    _fx_drive_c || return 1
    _fx_volume_files c
    # The wineserver reads drive types only when it starts, and none has started for this
    # prefix yet: append them to system.reg. When a key's section occurs twice the
    # wineserver merges them, later values winning, so this also overrides the template.
    {
        printf '\n[Software\\\\Wine\\\\Drives] %s\n' "$(date +%s)"
        for l in "${FX_LETTERS[@]}"; do
            [[ ${FX_TYPE[$l]} == missing ]] || printf '"%s:"="%s"\n' "$l" "${FX_TYPE[$l]}"
        done
    } >>"$FX_PREFIX/system.reg"
    [[ -z ${MEROVANT_DESKTOP:-} ]] || _fx_virtual_desktop "$MEROVANT_DESKTOP"
    [[ -n ${DISPLAY:-} ]] || _fx_xvfb
}

# MEROVANT_DESKTOP=WxH: programs run in a Wine virtual desktop of that size, where Wine
# draws the window frames itself (title bar, close box) as Windows does, with no window
# manager needed.
_fx_virtual_desktop() {
    [[ $1 =~ ^[0-9]+x[0-9]+$ ]] || { _fx_say "bad desktop size '$1'"; return 1; }
    {
        printf '\n[Software\\\\Wine\\\\Explorer] %s\n"Desktop"="Default"\n' "$(date +%s)"
        printf '\n[Software\\\\Wine\\\\Explorer\\\\Desktops] %s\n"Default"="%s"\n' "$(date +%s)" "$1"
    } >>"$FX_PREFIX/user.reg"
}

_fx_xvfb() {
    local f="$FX_ROOT/xvfb.display" i
    : >"$f"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$f" >"$FX_ROOT/xvfb.log" 2>&1 &
    FX_XVFB_PID=$!
    echo "$FX_XVFB_PID" >"$FX_ROOT/xvfb.pid"
    for ((i = 0; i < 100; i++)); do
        if [[ $(<"$f") == *[0-9]* ]]; then
            DISPLAY=":$(<"$f")"
            export DISPLAY
            return 0
        fi
        kill -0 "$FX_XVFB_PID" 2>/dev/null || break
        sleep 0.05
    done
    cat "$FX_ROOT/xvfb.log" >&2
    _fx_say "Xvfb did not start"
    return 1
}

# fixture_wine EXE ARGS... : runs in the prefix with C:\ as working directory
# (or FX_CWD, a Unix folder). Output goes to files first: wineserver and Wine's service
# processes inherit the descriptors, so a pipe would not see end-of-file when the program ends.
fixture_wine() {
    local exe=$1 rc=0; shift
    [[ $FX_STARTED == 1 && -n $FX_ROOT ]] || { _fx_say "fixture_wine before fixture_start"; return 1; }
    [[ $exe != */* || ! -e $exe ]] || exe=$(realpath "$exe")
    # In the background, because bash runs a signal trap (cleanup) only after a foreground
    # command ends, while `wait` is interrupted at once. <&0 keeps stdin, which bash would
    # otherwise replace with /dev/null for a background command.
    (cd "${FX_CWD:-$FX_PREFIX/drive_c}" && exec wine "$exe" "$@") \
        <&0 >"$FX_ROOT/wine.out" 2>"$FX_ROOT/wine.err" &
    wait "$!" || rc=$?
    cat "$FX_ROOT/wine.out"
    cat "$FX_ROOT/wine.err" >&2
    return "$rc"
}

fixture_end() {
    local rc=$? i
    local -
    set +e
    [[ -n $FX_ROOT ]] || return "$rc"
    if [[ -n $FX_PREFIX ]]; then
        WINEPREFIX="$FX_PREFIX" wineserver -k >/dev/null 2>&1
        WINEPREFIX="$FX_PREFIX" wineserver -w >/dev/null 2>&1
    fi
    if [[ -n $FX_XVFB_PID ]]; then
        kill "$FX_XVFB_PID" 2>/dev/null
        wait "$FX_XVFB_PID" 2>/dev/null
        FX_XVFB_PID=""
    fi
    for ((i = ${#FX_MOUNTS[@]} - 1; i >= 0; i--)); do
        umount "${FX_MOUNTS[i]}" 2>/dev/null
    done
    FX_MOUNTS=()
    if _fx_umount_under "$FX_ROOT"; then
        rm -rf --one-file-system "$FX_ROOT"
    else
        _fx_say "could not unmount everything below $FX_ROOT; left in place"
    fi
    FX_ROOT="" FX_PREFIX=""
    return "$rc"
}
