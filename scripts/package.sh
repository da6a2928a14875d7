#!/usr/bin/env bash
# Builds the Debian package of Quillbook into build-package/ and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-package --parallel "$(nproc)" --target quillbook
(cd build-package && cpack >/dev/null)
ls "$PWD"/build-package/quillbook_*.deb
