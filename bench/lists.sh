#!/usr/bin/env bash
# The frame drag and the trim drag on a selected clip with 1,000 clips listed
# in the bin, the timeline and the clips rack: the longest main-thread gap and
# the median gap around a pointer step, five runs of each.
set -euo pipefail
build=${1:-build}
"$build/bin/bench_lists" 5 1000
