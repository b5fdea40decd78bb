#!/bin/sh
# `quill index --json` on a 20 MB generated scene against `cat` of the same
# file, both to /dev/null, measured in one run (best of several).
set -e
BUILD=${1:-build/release}
SCENE=${TMPDIR:-/tmp}/quill_bench_scene2.bin
"$BUILD/tools/scenegen" --seed 2024 --objects 20000 --size 20971520 "$SCENE"
best() {
    best_ns=""
    for i in 1 2 3 4 5 6 7; do
        start=$(date +%s%N)
        "$@" > /dev/null
        end=$(date +%s%N)
        t=$((end - start))
        if [ -z "$best_ns" ] || [ "$t" -lt "$best_ns" ]; then best_ns=$t; fi
    done
    echo "$best_ns"
}
cat_ns=$(best cat "$SCENE")
quill_ns=$(best "$BUILD/cli/quill" index --json "$SCENE")
awk -v c="$cat_ns" -v q="$quill_ns" 'BEGIN {
    printf "cat:                 %8.2f ms\n", c / 1e6
    printf "quill index --json:  %8.2f ms\n", q / 1e6
    printf "ratio:               %8.2f x\n", q / c
}'
rm -f "$SCENE"
