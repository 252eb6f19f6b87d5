#!/usr/bin/env bash
# Brings translations/quillory_en.ts up to date with the texts in src/: a new text arrives
# unfinished, for a translator to fill in (Qt Linguist, or by hand); a text no longer used goes.
# The file keeps no source locations, so that moving code does not change it.
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=${LUPDATE:-/usr/lib/qt6/bin/lupdate}
"$lupdate" -silent -locations none -no-obsolete -source-language zh_CN -target-language en \
    src -ts translations/quillory_en.ts
