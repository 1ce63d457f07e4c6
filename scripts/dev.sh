#!/usr/bin/env bash
# One entry point for a developer machine or CI:
#   bash scripts/dev.sh run    install what is missing, build, start the player
#   bash scripts/dev.sh test   install what is missing, build, run every test headless
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${BUILD_DIR:-$here/build}"
mode="${1:-}"

case "$mode" in
  run|test) ;;
  *) echo "usage: bash scripts/dev.sh run|test" >&2; exit 2 ;;
esac

bash "$here/scripts/install-deps.sh"

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"

if [ "$mode" = run ]; then
  exec "$build/bin/skyvantrix" "${@:2}"
fi

cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
