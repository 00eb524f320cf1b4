#!/usr/bin/env bash
# Configures and builds into build/ (Ninja, warnings on). QUORBIX_WERROR=ON
# makes every warning an error, as CI builds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DQUORBIX_WERROR="${QUORBIX_WERROR:-OFF}" >/dev/null
cmake --build build -j"$(nproc)"
