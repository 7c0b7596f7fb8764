#!/usr/bin/env bash
# Installs what is missing, builds, and starts Velquor.
#   ./run.sh [FILE.gdt]
# Without a display it says so and renders the document (or the example) to a PNG instead.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"

doc="${1:-examples/family.gdt}"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/app/velquor ]; then
  exec build/app/velquor "$@"
fi

out="velquor-plot.png"
echo "run.sh: no display; rendering $doc to $out with velquor-render instead."
if [ -x build/tools/velquor-render ] && [ -f "$doc" ]; then
  build/tools/velquor-render "$doc" -o "$out"
  echo "run.sh: wrote $out"
else
  echo "run.sh: evaluating an example formula: 2x^2+3x-5 for x = -1, 0, 1, 2"
  build/tools/velquor-eval '2x^2+3x-5' -1 0 1 2
fi
