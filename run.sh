#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program from its folder build/aeris/.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
./scripts/build.sh
exec ./build/aeris/aeris "$@"
