# Shared by the scripts: the project root, messages, and installing what is missing.
# shellcheck shell=bash

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export ROOT

say() { printf '==> %s\n' "$*"; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# Debian packages the build and the tests need, by the architecture they come from:
# clang and its libFuzzer runtime for the fuzz targets, zip for the release package,
# clang-format, clang-tidy and cppcheck for the lint. The x86_64 compiler and wine64 serve
# machines whose kernel runs no 32-bit code (see windows_test_preset).
REQUIRED_PACKAGES=(
  cmake make g++ libgtest-dev googletest
  g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 xvfb xdotool x11-utils imagemagick locales
  clang libclang-rt-14-dev zip unzip clang-format clang-tidy cppcheck
)

missing_packages() {
  local package
  for package in "${REQUIRED_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || echo "$package"
  done
}

ensure_packages() {
  local missing
  mapfile -t missing < <(missing_packages)
  [[ ${#missing[@]} -eq 0 ]] && return 0
  say "installing: ${missing[*]}"
  [[ $(id -u) -eq 0 ]] || die "missing packages (${missing[*]}); run as root or install them with apt-get"
  command -v apt-get >/dev/null || die "apt-get not found: this setup needs Debian or a derivative"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386 || die "cannot add the i386 architecture that wine32 comes from"
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq || die "apt-get update failed: no package registry reachable?"
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null \
    || die "apt-get install failed for: ${missing[*]}"
}

build_preset() {
  local preset="$1"
  cmake --preset "$preset" >/dev/null || die "configuring preset $preset failed"
  cmake --build --preset "$preset" -j"$(nproc)" || die "building preset $preset failed"
}

# The Windows build whose tests this machine can run: win32, the shipped i686 exe under
# Wine's 32-bit loader; or win64, the same sources built for x86_64 under wine64, where the
# kernel runs no 32-bit code at all (a Linux kernel with IA-32 emulation switched off:
# every i386 program, Wine's loader too, fails with "Exec format error").
windows_test_preset() {
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo win32; else echo win64; fi
}
