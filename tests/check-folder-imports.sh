#!/bin/sh
# The folders of src/ import each other without a loop, and only the window's folder defines Form1's
# members: prints the folder-level import picture, fails on a loop.
#   check-folder-imports.sh SRC_DIR
set -eu
src=$1
edges=$(cd "$src" && for dir in */; do
    dir=${dir%/}
    grep -rhoE '^#include "[a-z]+/' "$dir" 2>/dev/null | sed -E 's/^#include "([a-z]+)\//\1/' |
        sort -u | while read -r to; do
        if [ "$to" != "$dir" ] && [ -d "$to" ]; then echo "$dir $to"; fi
    done
done)
echo "$edges" | awk '{ a[$1] = a[$1] " " $2 } END { for (f in a) print f " ->" a[f] }' | sort
# tsort names the folders of a loop on stderr.
if ! loop=$(echo "$edges" | tsort 2>&1 >/dev/null) || [ -n "$loop" ]; then
    echo "FAIL: the folders import each other in a loop:" >&2
    echo "$loop" >&2
    exit 1
fi
owners=$(grep -rl 'Form1::' "$src" --include='*.cpp' --include='*.h' | xargs -n1 dirname | sort -u)
if [ "$owners" != "$src/form" ]; then
    echo "FAIL: Form1's members are defined outside src/form:" >&2
    grep -rl 'Form1::' "$src" --include='*.cpp' --include='*.h' | grep -v "^$src/form/" >&2
    exit 1
fi
