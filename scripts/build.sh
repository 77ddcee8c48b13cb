#!/bin/sh
# The main command: installs what is missing, builds both sides and runs the
# bundled example (see README.md).
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/deps.sh
cmake --preset host >/dev/null
cmake --build --preset host
cmake --preset win >/dev/null
cmake --build --preset win
exec ./examples/run.sh
