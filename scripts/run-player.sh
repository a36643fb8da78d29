#!/usr/bin/env bash
# Installs what is needed, builds the player and the example animations,
# writes the animations into build/animations and plays the first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja
cmake --build build -j "$(nproc)" --target lumivex-player make-animations
build/bin/make-animations build/animations
exec build/bin/lumivex-player build/animations/spiral-format5.ild
