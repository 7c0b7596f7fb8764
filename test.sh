#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
#   ./test.sh              the normal build (build/)
#   ./test.sh --sanitize   the address and undefined-behaviour sanitizer build (build-asan/)
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh

build=build
flags=()
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  flags+=(-DVELQUOR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
else
  flags+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
fi
[ -n "${CI:-}" ] && flags+=(-DVELQUOR_WERROR=ON)

cmake -S . -B "$build" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600
