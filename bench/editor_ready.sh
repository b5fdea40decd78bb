#!/bin/sh
# The editor started on a 20 MB / 45,000-entry generated scene, measured from
# outside: `quillscope --screenshot` grabs the window 300 ms after the scene
# is indexed and shown and writes the picture, so the picture's modification
# time less the process start less those 300 ms bounds the moment the window
# was ready from above. The same with no scene gives the empty window's start.
# Runs under Xvfb when it is there (QT_QPA_PLATFORM=offscreen otherwise).
# Prints each run and the median.
set -e
BUILD=${1:-build/release}
RUNS=${2:-7}
WORK=${TMPDIR:-/tmp}/quillscope_ready_bench.$$
EDITOR="$BUILD/editor/quillscope"
mkdir -p "$WORK"
trap 'rm -rf "$WORK"' EXIT
"$BUILD/tools/scenegen" --seed 2024 --objects 45000 --size 20971520 "$WORK/scene2.bin"

if command -v Xvfb > /dev/null && [ -z "$QT_QPA_PLATFORM" ]; then
    # The X server's own start is not the editor's: a server is started once
    # and the editor is timed against it.
    Xvfb -displayfd 5 -screen 0 1920x1080x24 5> "$WORK/display" > /dev/null 2>&1 &
    XPID=$!
    trap 'kill $XPID 2>/dev/null; rm -rf "$WORK"' EXIT
    while [ ! -s "$WORK/display" ]; do sleep 0.1; done
    export DISPLAY=:$(cat "$WORK/display")
    export QT_QPA_PLATFORM=xcb
    where="Xvfb"
else
    export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
    where="$QT_QPA_PLATFORM"
fi

# ready LABEL [SCENE]: the runs' figures in ms, one per line, then the median.
ready() {
    label=$1
    shift
    : > "$WORK/times"
    i=0
    while [ "$i" -lt "$RUNS" ]; do
        rm -f "$WORK/shot.png"
        start=$(date +%s%N)
        "$EDITOR" --screenshot "$WORK/shot.png" "$@" 2> /dev/null
        shot=$(stat -c %.9Y "$WORK/shot.png" | tr -d .)
        echo $(((shot - start) / 1000000 - 300)) >> "$WORK/times"
        i=$((i + 1))
    done
    sort -n "$WORK/times" | awk -v l="$label" '{ t[NR] = $1 }
        END { printf "%-28s runs:", l; for (i = 1; i <= NR; ++i) printf " %d", t[i];
              printf "  median %d ms\n", t[int((NR + 1) / 2)] }'
}

echo "quillscope ready, from the process start ($where, $RUNS runs, ms):"
ready "empty window"
ready "20 MB scene ($(stat -c %s "$WORK/scene2.bin") bytes)" "$WORK/scene2.bin"
