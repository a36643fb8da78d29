#!/usr/bin/env bash
# Installs what is needed, builds, and starts the viewer in examples/, where
# the demonstration outline batman.dat opens by itself after a second.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja
cmake --build build -j "$(nproc)"
cd examples
exec ../build/bin/lumivex-viewer
