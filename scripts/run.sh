#!/usr/bin/env bash
# Sets up, builds and runs the console. Without a --port option the console starts with the
# built-in simulated board as port 1, so it can be tried without hardware:
#   scripts/run.sh                           simulated board on port 1
#   scripts/run.sh --port 1=/dev/ttyUSB0     a real board (see --help for the line settings)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target quillory isd1700-sim

args=("$@")
named=0
for a in "${args[@]}"; do
  case "$a" in --port|--port=*|--simulate-board*|-h|--help|-v|--version) named=1 ;; esac
done
if [[ $named -eq 0 ]]; then
  args=(--simulate-board "${args[@]}")
fi
exec build/release/src/quillory "${args[@]}"
