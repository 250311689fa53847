#!/usr/bin/env bash
# The session save's cost during a trim drag, with 1,000 clips.
set -euo pipefail
build=${1:-build}
"$build/bin/bench_save_cost"
