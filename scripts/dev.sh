#!/usr/bin/env bash
# One entry point for a developer machine or CI:
#   bash scripts/dev.sh run    install what is missing, build, start the player
#   bash scripts/dev.sh test   install what is missing, build, run every test headless,
#                              then build again with the sanitizers and run them all again
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${BUILD_DIR:-$here/build}"
mode="${1:-}"

case "$mode" in
  run|test) ;;
  *) echo "usage: bash scripts/dev.sh run|test" >&2; exit 2 ;;
esac

bash "$here/scripts/install-deps.sh"

# ccache keeps the objects of earlier builds on this machine. Paths inside the
# checkout are hashed relative to it, so a fresh clone elsewhere reuses them.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$here" CCACHE_NOHASHDIR=true
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"

if [ "$mode" = run ]; then
  exec "$build/bin/skyvantrix" "${@:2}"
fi

cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"

# The whole suite again, built by clang with AddressSanitizer and
# UndefinedBehaviorSanitizer: any memory fault, leak or undefined behaviour
# fails the test it happens in.
asan="${ASAN_BUILD_DIR:-$here/build-asan}"
cmake -S "$here" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_COMPILER=clang -DSKY_SANITIZE=ON "${launcher[@]}" >/dev/null
cmake --build "$asan" -j "$(nproc)"
cd "$asan"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
