#!/usr/bin/env bash
# Painting a window of the control kit, cold and warm, against a plain fill.
set -euo pipefail
build=${1:-build}
"$build/bin/bench_theme" 31
