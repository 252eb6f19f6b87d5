#!/usr/bin/env bash
# Brings translations/quillory_en.ts up to date with the texts in src/: a new text arrives
# unfinished, for a translator to fill in (Qt Linguist, or by hand); a text no longer used goes.
# It runs the lupdate that CMake finds for the build, the one the translation test runs too.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset debug >/dev/null
cmake --build --preset debug --target quillory_update_translations
