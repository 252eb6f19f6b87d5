#!/usr/bin/env bash
# Checks that a manual page names every option the program's --help lists, and that groff formats
# the page without a warning.
#   check-manpage.sh PROGRAM PAGE
set -euo pipefail
program=$1
page=$2

help=$("$program" --help)
# Qt lists each option as "  -h, --help   text" or "  --port <N=DEVICE>   text".
mapfile -t options < <(sed -n 's/^  \(-[^ ].*\)$/\1/p' <<<"$help" | sed 's/  .*//; s/ <[^>]*>//g' |
    tr ',' '\n' | tr -d ' ' | grep -v '^$')
if [[ ${#options[@]} -lt 3 ]]; then
    echo "FAIL: found only ${#options[@]} options in the help of $program:" >&2
    echo "$help" >&2
    exit 1
fi

# In the page's source an option is written with escaped hyphens, \-\-port.
text=$(sed 's/\\-/-/g' "$page")
missing=()
for option in "${options[@]}"; do
    if ! grep -Eq -- "(^|[^-[:alnum:]])${option}([^-[:alnum:]]|$)" <<<"$text"; then
        missing+=("$option")
    fi
done
if [[ ${#missing[@]} -gt 0 ]]; then
    echo "FAIL: $page does not name ${missing[*]} (listed by $program --help)" >&2
    exit 1
fi

warnings=$(LC_ALL=C.UTF-8 groff -k -man -ww -z -Tutf8 "$page" 2>&1)
if [[ -n $warnings ]]; then
    echo "FAIL: groff warns on $page:" >&2
    echo "$warnings" >&2
    exit 1
fi
echo "$page names all ${#options[@]} options: ${options[*]}"
