#!/usr/bin/env bash
# Sets up, builds and runs every test: the debug build, then the same tests under
# AddressSanitizer + UndefinedBehaviorSanitizer, then the release build, which also makes the
# Debian package and checks it. A PulseAudio null sink is started for the playback tests (they
# are skipped, not failed, where no sound server can run).
#   scripts/test.sh             all three builds
#   scripts/test.sh debug       one preset only (debug, asan or release)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh --tests
presets=("${@:-debug asan release}")
read -r -a presets <<<"${presets[*]}"

# The script prints the environment the playback tests need (XDG_RUNTIME_DIR, PULSE_SERVER).
if sound_env=$(scripts/start-sound-server.sh); then
  eval "$sound_env"
else
  echo "No sound server: the playback tests will be skipped."
fi

for preset in "${presets[@]}"; do
  echo "== $preset =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j2
  ctest --preset "$preset" -j2 --timeout 300 --no-tests=error
done
