#!/bin/sh
# The programs answer --version and --help on standard output, with status 0
# and nothing on standard error, where no display can be reached.
# Usage: answers_without_display.sh QUILLSCOPE TRELLIS QUILL
set -u
quillscope=$1
trellis=$2
quill=$3
err=$(mktemp)
trap 'rm -f "$err"' EXIT
failures=0

# expect EXPECTED_OUTPUT PROGRAM ARGUMENT...
expect() {
    expected=$1
    shift
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" 2>"$err")
    status=$?
    if [ "$status" -ne 0 ] || [ "$out" != "$expected" ] || [ -s "$err" ]; then
        echo "FAILED: $*: status $status" >&2
        printf 'printed:\n%s\nexpected:\n%s\nerrors:\n' "$out" "$expected" >&2
        cat "$err" >&2
        failures=$((failures + 1))
    fi
}

quillscope_usage='usage: quillscope [SCENE]
       quillscope --screenshot PNG [SCENE]
       quillscope --help | --version
SCENE is a mission'"'"'s scene2.bin, loaded at start.'

expect "Quillscope 4.01" "$quillscope" --version
expect "$quillscope_usage" "$quillscope" --help
expect "$quillscope_usage" "$quillscope" -h
expect "Trellis 4.01" "$trellis" --version
expect "quill 4.01" "$quill" --version

# Anything else opens the window, which needs a display: it must not answer.
if timeout 30 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
    "$quillscope" --version extra >/dev/null 2>&1; then
    echo "FAILED: quillscope --version extra succeeded without a display" >&2
    failures=$((failures + 1))
fi

echo "$((6 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
