#!/bin/sh
# `quill scripts import` on a generated 30,000-object scene: the folder holds
# every exported script, with one of them changed, then with all of them
# changed. Each import starts from a fresh copy of the scene (the copy is not
# timed); the figure is the best of several runs, wall and CPU time.
set -e
BUILD=${1:-build/release}
OBJECTS=${2:-30000}
WORK=${TMPDIR:-/tmp}/quill_scripts_import_bench.$$
QUILL="$BUILD/cli/quill"
mkdir -p "$WORK"
trap 'rm -rf "$WORK"' EXIT
"$BUILD/tools/scenegen" --seed 2024 --objects "$OBJECTS" "$WORK/orig.bin"
"$QUILL" scripts export "$WORK/orig.bin" "$WORK/all" > /dev/null
cp -r "$WORK/all" "$WORK/one"
count=0
for f in "$WORK/all"/*.txt; do
    printf 'rem changed\r\n' >> "$f"
    count=$((count + 1))
done
first=$(ls "$WORK/one" | head -n 1)
printf 'rem changed\r\n' >> "$WORK/one/$first"

# best DIR: the best wall and CPU time (ns, ms) of importing DIR.
best() {
    best_ns=""
    best_cpu=""
    for i in 1 2 3 4 5; do
        cp "$WORK/orig.bin" "$WORK/scene2.bin"
        start=$(date +%s%N)
        /usr/bin/time -f "%U %S" -o "$WORK/cpu" "$QUILL" scripts import "$WORK/scene2.bin" "$1" > /dev/null
        end=$(date +%s%N)
        t=$((end - start))
        cpu=$(awk '{ printf "%d", ($1 + $2) * 1000 }' "$WORK/cpu")
        if [ -z "$best_ns" ] || [ "$t" -lt "$best_ns" ]; then best_ns=$t; fi
        if [ -z "$best_cpu" ] || [ "$cpu" -lt "$best_cpu" ]; then best_cpu=$cpu; fi
    done
    echo "$best_ns $best_cpu"
}
one=$(best "$WORK/one")
all=$(best "$WORK/all")
echo "$one $all" | awk -v n="$count" -v objects="$OBJECTS" '{
    printf "scene: %d objects, %d scripts\n", objects, n
    printf "import, 1 script changed:    %8.1f ms wall, %6d ms CPU\n", $1 / 1e6, $2
    printf "import, all scripts changed: %8.1f ms wall, %6d ms CPU\n", $3 / 1e6, $4
    printf "per further script:          %8.1f us wall\n", ($3 - $1) / 1e3 / (n - 1)
    printf "ratio all / one:             %8.2f x\n", $3 / $1
}'
