#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quorbix.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec ./build/quorbix "$@"
