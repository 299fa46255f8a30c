#!/usr/bin/env bash
# Installs the Debian packages Quillmere needs (only the missing ones) and
# builds the project into build/, or into FOLDER with the given CMake
# options: scripts/setup.sh [FOLDER [CMAKE_OPTION...]]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ $# -gt 0 ] && shift

packages=(
  build-essential cmake pkg-config clang-format clang-tidy
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev
  libmspack-dev libicu-dev
  libchm-bin 7zip fp-utils
  fonts-wqy-microhei
  xvfb xauth
  appstream libqt6svg6 qt6-translations-l10n
  xdg-utils desktop-file-utils
  rename
  python3-chm
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$build-configure.log" 2>&1 || {
  cat "$build-configure.log"; echo "Configuring failed."; exit 1; }
rm -f "$build-configure.log"
echo "Building Quillmere into $build..."
if ! cmake --build "$build" -j"$jobs" >"$build/build.log" 2>&1; then
  grep -E 'error|Error' "$build/build.log" | head -40
  echo "Build failed (full log: $build/build.log)."
  exit 1
fi
