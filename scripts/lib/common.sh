# Shared by the scripts: the project root, messages, and installing what is missing.
# shellcheck shell=bash

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export ROOT

say() { printf '==> %s\n' "$*"; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# Debian packages, by the architecture they come from. RUN_PACKAGES build merovant.exe and
# run it under Wine (googletest: the Windows build compiles GoogleTest from its sources); the
# x86_64 compiler and wine64 serve machines whose kernel runs no 32-bit code (see
# windows_arch); xwininfo and ImageMagick's import take the picture of a window on a
# virtual display.
RUN_PACKAGES=(
  cmake make googletest
  g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 xvfb x11-utils imagemagick
)
# The tests add the native build, the Wine fixture's tools, clang for the fuzz targets (its
# libFuzzer runtime is added by fuzzer_runtime_package), zip, msitools' wixl, msibuild and
# msiextract, faketime and osslsigncode for the release (openssl makes the signing tests'
# certificates; OpenSSL's PKCS#11 engine and opensc's pkcs11-tool sign with a key on a token,
# which softhsm2 stands in for in the test), clang-format, clang-tidy and cppcheck for the
# lint, and Chromium for the overview's page.
REQUIRED_PACKAGES=(
  "${RUN_PACKAGES[@]}" g++ libgtest-dev xdotool locales
  clang zip unzip wixl msitools faketime osslsigncode openssl libengine-pkcs11-openssl opensc softhsm2
  clang-format clang-tidy cppcheck chromium
)

# libclang-rt-N-dev for the N of Debian's default clang (14 in Debian 12, 19 in Debian 13):
# clang is a package without files that depends on clang-N. Read from the installed clang,
# else from the package lists; prints nothing while neither knows clang.
fuzzer_runtime_package() {
  local depends
  depends=$(dpkg-query -W -f='${Status}|${Depends}' clang 2>/dev/null) || depends=""
  if [[ $depends == "install ok installed|"* ]]; then
    depends=${depends#*|}
  else
    depends=$(apt-cache show --no-all-versions clang 2>/dev/null | sed -n 's/^Depends: //p')
  fi
  [[ $depends =~ (^|[ ,])clang-([0-9]+) ]] && echo "libclang-rt-${BASH_REMATCH[2]}-dev"
  return 0
}

# Prints the packages that are not installed: of RUN_PACKAGES with the argument "run", else
# of REQUIRED_PACKAGES with the fuzzer runtime.
missing_packages() {
  local package runtime
  local -a packages=("${RUN_PACKAGES[@]}")
  if [[ ${1:-} != run ]]; then
    packages=("${REQUIRED_PACKAGES[@]}")
    runtime=$(fuzzer_runtime_package)
    [[ -z $runtime ]] || packages+=("$runtime")
  fi
  for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || echo "$package"
  done
}

# ensure_packages [run]: installs what is missing, for running only or for everything.
ensure_packages() {
  local missing
  mapfile -t missing < <(missing_packages "$@")
  [[ ${#missing[@]} -eq 0 ]] && return 0
  say "installing: ${missing[*]}"
  [[ $(id -u) -eq 0 ]] || die "missing packages (${missing[*]}); run as root or install them with apt-get"
  command -v apt-get >/dev/null || die "apt-get not found: this setup needs Debian or a derivative"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386 || die "cannot add the i386 architecture that wine32 comes from"
  fi
  export DEBIAN_FRONTEND=noninteractive
  local update_failure=""
  apt_update || update_failure=$APT_UPDATE_FAILURE
  if [[ ${1:-} != run ]]; then
    # Without clang installed, its version (and so its fuzzer runtime) is known from the
    # package lists only now.
    [[ -n $(fuzzer_runtime_package) ]] || die "the package lists offer no clang${update_failure:+; $update_failure}"
    mapfile -t missing < <(missing_packages "$@")
  fi
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null && return 0
  [[ -n $update_failure ]] || die "apt-get install failed for: ${missing[*]}"
  # Without one architecture's index of the security suite, apt picks an amd64 version that
  # has no i386 twin, and multiarch refuses the pair: the release's own suite has both.
  local release
  release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  if [[ -n $release ]]; then
    say "installing again with the versions of $release itself (-t $release)"
    apt-get install -y -qq --no-install-recommends -t "$release" "${missing[@]}" >/dev/null && return 0
  fi
  die "apt-get install failed for: ${missing[*]}; $update_failure"
}

# apt_update: apt-get update, tried again after a pause while an index fails (a mirror in
# the middle of a sync serves a Packages file of another size for a minute or so). Apt
# keeps the lists it had for a failed index, so set-up goes on after the last try: the
# packages may install all the same. APT_UPDATE_FAILURE then names the index and what to try.
APT_UPDATE_TRIES=${APT_UPDATE_TRIES:-4}
apt_update() {
  local try log failed
  log=$(mktemp)
  for ((try = 1; try <= APT_UPDATE_TRIES; try++)); do
    apt-get update -qq >"$log" 2>&1 && ! grep -q '^E: ' "$log" && { rm -f "$log"; return 0; }
    failed=$(sed -n 's/^E: Failed to fetch \([^ ]*\).*/\1/p' "$log" | head -3 | tr '\n' ' ')
    say "apt-get update failed (try $try of $APT_UPDATE_TRIES)${failed:+: $failed}"
    ((try == APT_UPDATE_TRIES)) || sleep $((15 * try))
  done
  sed -n '/^[EW]: /p' "$log" | head -5 >&2
  rm -f "$log"
  APT_UPDATE_FAILURE="apt-get update could not fetch ${failed:-the package lists}; a mirror in the middle of a sync heals within minutes: run the command again later, or choose another mirror in /etc/apt/sources.list"
  say "going on with the package lists apt kept"
  return 1
}

# The window's font is "MS Sans Serif", its title bar's Tahoma, its close button a glyph of
# Marlett. Wine has none of them and falls back to a wider face that cuts the columns' texts
# and the status bar. Debian's fonts-wine ships Wine's metric-compatible replacements;
# installing the package would change the text metrics of every Wine test on this machine,
# so wine_fonts PREFIX takes them from it (downloaded once into build/fonts) into that one
# prefix's Fonts folder.
WINE_FONT_FILES=(marlett.ttf ms_sans_serif.ttf sserife.fon tahoma.ttf tahomabd.ttf)
wine_fonts() {
  local prefix=$1 dir="$ROOT/build/fonts" font
  if [[ ! -f $dir/${WINE_FONT_FILES[-1]} ]]; then
    rm -rf "$dir" && mkdir -p "$dir/package"
    (cd "$dir/package" && apt-get download -qq fonts-wine >/dev/null 2>&1) ||
      { { apt_update || true; } && (cd "$dir/package" && apt-get download -qq fonts-wine); } ||
      die "cannot fetch the package fonts-wine"
    dpkg-deb -x "$dir"/package/fonts-wine_*.deb "$dir/package/root"
    for font in "${WINE_FONT_FILES[@]}"; do
      cp "$(find "$dir/package/root" -name "$font" | head -1)" "$dir/$font" || die "fonts-wine has no $font"
    done
  fi
  mkdir -p "$prefix/drive_c/windows/Fonts"
  # Only a missing or different file is copied: Wine scans a font again when its file changes.
  for font in "${WINE_FONT_FILES[@]}"; do
    cmp -s "$dir/$font" "$prefix/drive_c/windows/Fonts/$font" || cp "$dir/$font" "$prefix/drive_c/windows/Fonts/$font"
  done
}

# build_preset PRESET [TARGET...]: configures and builds the preset, or only the targets named.
build_preset() {
  local preset="$1"
  shift
  cmake --preset "$preset" >/dev/null || die "configuring preset $preset failed"
  cmake --build --preset "$preset" -j"$(nproc)" ${1:+--target "$@"} || die "building preset $preset failed"
}

# The one place that knows how the two Windows builds differ: the shipped i686 exe, run by
# Wine's 32-bit loader, and the x86_64 stand-in for machines whose kernel runs no 32-bit code
# (a Linux kernel with IA-32 emulation switched off: every i386 program, Wine's loader too,
# fails there with "Exec format error"). Everything else takes its facts from here and runs
# the same code for either.

# kernel_runs_32bit: whether this machine's Wine can run 32-bit programs.
kernel_runs_32bit() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

# The runs of the Windows tests: the exe of a build in a prefix of an architecture. Each run
# is a CTest label of its build's tests.
#   win32  the shipped i686 exe in a 32-bit prefix, as 32-bit Windows runs it
#   wow64  the shipped i686 exe in a 64-bit prefix, through WoW64, as a fleet's PCs run it
#   win64  the x86_64 stand-in in a 64-bit prefix, where the kernel runs no 32-bit code
declare -gA RUN_PRESET=([win32]=win32 [wow64]=win32 [win64]=win64)
declare -gA RUN_PREFIX_ARCH=([win32]=win32 [wow64]=win64 [win64]=win64)

# windows_runs sets WINDOWS_RUNS to the runs of this machine: MEROVANT_PREFIXES, a list of
# runs separated by commas or blanks, or by default win32 and wow64 where the kernel runs
# 32-bit code, else win64.
windows_runs() {
  local run
  if [[ -n ${MEROVANT_PREFIXES:-} ]]; then
    read -ra WINDOWS_RUNS <<<"${MEROVANT_PREFIXES//,/ }"
  elif kernel_runs_32bit; then
    WINDOWS_RUNS=(win32 wow64)
  else
    WINDOWS_RUNS=(win64)
  fi
  for run in "${WINDOWS_RUNS[@]}"; do
    [[ -n ${RUN_PRESET[$run]:-} ]] || die "MEROVANT_PREFIXES names '$run': the runs are win32, wow64 and win64"
    [[ ${RUN_PRESET[$run]} == win64 ]] || kernel_runs_32bit ||
      die "MEROVANT_PREFIXES names $run, which runs the i686 exe: this kernel runs no 32-bit code (win64 only)"
  done
}

# wine_prefix ARCH sets, for prefixes of that architecture (win32, win64), whatever the
# exe's own (an i686 exe runs in both; in a 64-bit one through WoW64):
#   WINE_ARCH        WINEARCH of every prefix made for it
#   WINE_LOADER      the Wine loader that starts programs there
#   WINE_TEMPLATE    the Wine tests' template prefix for this user
wine_prefix() {
  case $1 in
    win32) WINE_LOADER=/usr/lib/wine/wine ;;
    win64) WINE_LOADER=/usr/lib/wine/wine64 ;;
    *) die "unknown Wine prefix architecture '$1' (win32 or win64)" ;;
  esac
  WINE_ARCH=$1
  WINE_TEMPLATE=${MEROVANT_WINE_TEMPLATE:-${TMPDIR:-/tmp}/merovant-wine-template-$(id -u)-$1}
}

# windows_arch [win32|win64] sets, for the build named or, without one, for the one this
# machine runs (the stand-in also where MEROVANT_PREFIXES asks for win64 alone), the
# facts of wine_prefix and:
#   WINDOWS_PRESET   the build whose tests run under Wine (win32, win64)
#   RELEASE_PRESET   its release build (release, release64)
#   MINGW            its tool prefix (i686-w64-mingw32, x86_64-w64-mingw32)
#   RUN_PREFIX       the prefix of scripts/run (MEROVANT_WINEPREFIX overrides it)
#   EXE_KIND         what the exe is, in the words the suite reports it with
#   STAND_IN         true where the exe is the x86_64 stand-in, not the shipped one
SHIPPED_PRESET=win32
windows_arch() {
  local arch=${1:-}
  if [[ -z $arch ]]; then
    if kernel_runs_32bit && [[ ${MEROVANT_PREFIXES:-} != win64 ]]; then arch=win32; else arch=win64; fi
  fi
  case $arch in
    win32)
      WINDOWS_PRESET=win32 RELEASE_PRESET=release MINGW=i686-w64-mingw32
      RUN_PREFIX=${MEROVANT_WINEPREFIX:-$HOME/.merovant-wine} EXE_KIND="i686 (PE32), the shipped build"
      STAND_IN=false ;;
    win64)
      WINDOWS_PRESET=win64 RELEASE_PRESET=release64 MINGW=x86_64-w64-mingw32
      RUN_PREFIX=${MEROVANT_WINEPREFIX:-$HOME/.merovant-wine64}
      EXE_KIND="x86_64 (PE32+), a stand-in for the shipped i686 build" STAND_IN=true ;;
    *) die "unknown Windows architecture '$arch' (win32 or win64)" ;;
  esac
  wine_prefix "$arch"
}

# wine_commands DIR: commands named wine and wine-stable (which wineboot calls) in DIR, in
# front of PATH, that start WINE_LOADER. Debian's own `wine` picks its loader by what is
# installed, not by the prefix: with wine32 installed it always starts the 32-bit one.
wine_commands() {
  local dir=$1 name
  mkdir -p "$dir"
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexport WINELOADER=%s\nexec %s "$@"\n' "$WINE_LOADER" "$WINE_LOADER" >"$dir/$name"
    chmod +x "$dir/$name"
  done
  export PATH="$dir:$PATH" WINEARCH=$WINE_ARCH
}

# prefix_arch PREFIX: the architecture a Wine prefix was made for (its system.reg's "#arch="
# line); nothing for a prefix that has none yet.
prefix_arch() {
  sed -n '1,10{s/^#arch=\([a-z0-9]*\).*/\1/p}' "$1/system.reg" 2>/dev/null | head -1
}

# make_prefix PREFIX [LOG]: boots a new prefix for WINE_ARCH (wine_commands first).
make_prefix() {
  env WINEPREFIX="$1" WINEARCH="$WINE_ARCH" LC_ALL=C.UTF-8 wineboot --init >"${2:-/dev/null}" 2>&1 &&
    env WINEPREFIX="$1" wineserver -w >>"${2:-/dev/null}" 2>&1 &&
    [[ $(prefix_arch "$1") == "$WINE_ARCH" ]]
}
