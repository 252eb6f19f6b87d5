#!/usr/bin/env bash
# Sets up, builds the release preset and makes the Debian package; prints the package's path.
# Install it with: sudo apt install ./build/release/package/quillory_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
# Progress goes to stderr, so that deb=$(scripts/package.sh) holds the path alone.
exec 3>&1 1>&2

scripts/setup.sh --package
cmake --preset release >/dev/null
cmake --build --preset release --target quillory isd1700-sim quillory_manpages quillory_changelog
rm -f build/release/package/quillory_*.deb
cpack --config build/release/CPackConfig.cmake
shopt -s nullglob
debs=(build/release/package/quillory_*.deb)
if [[ ${#debs[@]} -ne 1 ]]; then
  echo "package.sh: cpack made ${#debs[@]} packages, expected one" >&2
  exit 1
fi
realpath "${debs[0]}" >&3
