#!/usr/bin/env bash
# Builds Quillbook and starts it. Without a desktop (no DISPLAY) it runs inside Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" --target quillbook
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec build/app/quillbook "$@"
else
    exec xvfb-run -a -s '-screen 0 1280x1024x24' build/app/quillbook "$@"
fi
