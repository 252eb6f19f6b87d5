#!/usr/bin/env bash
# Installs the Debian 12 packages Quillory needs (only those missing), through sudo when not root.
#   scripts/setup.sh            packages to build and run the console
#   scripts/setup.sh --package  also the tools that build its Debian package
#   scripts/setup.sh --tests    also the tools the tests use (sound server, sox, lame, the package's
#                               checkers)
set -euo pipefail

# qt6-tools-dev brings CMake's Qt6LinguistTools (the build compiles the translation with lrelease);
# qt6-l10n-tools holds lupdate and lconvert, which the translation's check runs.
packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev
  qt6-tools-dev qt6-l10n-tools
  libmpg123-dev libsndfile1-dev libpulse-dev libtomlplusplus-dev
  fonts-wqy-microhei qt6-translations-l10n
)
# cpack finds the programs' library dependencies with file and dpkg-shlibdeps.
package_tools=(dpkg-dev file)
case "${1:-}" in
--package) packages+=("${package_tools[@]}") ;;
--tests)
  packages+=(libgtest-dev pulseaudio pulseaudio-utils sox libsox-fmt-mp3 lame clang-format)
  packages+=("${package_tools[@]}" desktop-file-utils appstream lintian groff-base binutils)
  ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
if [[ $(id -u) -ne 0 ]]; then
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
