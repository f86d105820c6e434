#!/usr/bin/env bash
# A template prefix of the other architecture under the template's name (made by hand, or
# left by a checkout that booted it without WINEARCH) is rebuilt, never used.
#   fixture_test.sh probe.exe
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$(readlink -f "$0")")/lib.sh"
PROBE_EXE=$(realpath "$1")

work=$(mktemp -d)
wine_prefix "${MEROVANT_WINE_ARCH:-win32}"
other=win64
[[ $WINE_ARCH == win32 ]] || other=win32
# The look of a finished template of the other architecture, booted by the installed Wine.
export MEROVANT_WINE_TEMPLATE=$work/template
mkdir -p "$MEROVANT_WINE_TEMPLATE/drive_c/windows" "$MEROVANT_WINE_TEMPLATE/dosdevices"
printf 'WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=%s\n' "$other" \
    >"$MEROVANT_WINE_TEMPLATE/system.reg"
cp "$MEROVANT_WINE_TEMPLATE/system.reg" "$MEROVANT_WINE_TEMPLATE/user.reg"
cp "$MEROVANT_WINE_TEMPLATE/system.reg" "$MEROVANT_WINE_TEMPLATE/userdef.reg"
printf '%s\r\n' "$(stat -c %Y /usr/share/wine/wine.inf)" >"$MEROVANT_WINE_TEMPLATE/.update-timestamp"

fixture_begin 2>"$work/fixture.err" || { cat "$work/fixture.err" >&2; fail "fixture_begin failed"; }
trap 'fixture_end || true; rm -rf "$work"' EXIT
grep -qF "made for '$other'" "$work/fixture.err" || { cat "$work/fixture.err" >&2; fail "the template was not rebuilt"; }
[[ $(prefix_arch "$MEROVANT_WINE_TEMPLATE") == "$WINE_ARCH" ]] || fail "the new template is not $WINE_ARCH"
[[ $(prefix_arch "$FX_PREFIX") == "$WINE_ARCH" ]] || fail "the test's prefix is not $WINE_ARCH"
fixture_start
probe ready || { cat "$FX_ROOT/probe.err" >&2; fail "a program does not start in the rebuilt template's copy"; }
echo "PASS: the $other template was rebuilt as $WINE_ARCH"
