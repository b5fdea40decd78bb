#!/bin/sh
# Takes the README's screenshots of the main window (with and without its
# map), the insert, about and Trellis
# windows at 1x and 2x under Xvfb. Usage: scripts/screenshots.sh BUILD_DIR
set -e
build=${1:-build/dev}
out=docs/screenshots
demo=samples/missions/demo/scene2.bin
mkdir -p "$out"
Xvfb :97 -screen 0 3000x2000x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
export DISPLAY=:97
sleep 1

window() { # NAME: the id of the first visible window whose title holds NAME
    for try in 1 2 3 4 5 6 7 8 9 10; do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
        [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.5
    done
    echo "no window $1" >&2
    exit 1
}
press() { # ID KEY: the key, typed into that window
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
    xdotool key "$2"
}
click() { # ID X Y: a click at that place of the window, given at 1x
    xdotool mousemove --window "$1" $(($2 * scale)) $(($3 * scale)) click 1
    sleep 0.5
}
shot() { # ID FILE
    sleep 1
    import -window "$1" "$out/$2"
}

for scale in 1 2; do
    QT_SCALE_FACTOR=$scale "$build/editor/quillscope" "$demo" &
    app=$!
    main=$(window "Quillscope 4.01")
    sleep 2
    click "$main" 60 400 # an object, with its values and script
    shot "$main" "main-${scale}x.png"
    press "$main" ctrl+m # the map, with the script links drawn
    press "$main" alt+v
    xdotool key l
    shot "$main" "map-${scale}x.png"
    press "$main" ctrl+m
    press "$main" F1
    about=$(window "Quillscope-Info")
    shot "$about" "about-${scale}x.png"
    press "$about" Escape
    press "$main" alt+i
    sleep 0.5
    xdotool key h
    shot "$(window "QXA Insert")" "insert-${scale}x.png"
    kill $app
    wait $app 2>/dev/null || true

    (cd "$(dirname "$demo")" && QT_SCALE_FACTOR=$scale exec "$OLDPWD/$build/analyser/trellis") &
    app=$!
    trellis=$(window "Trellis")
    # The scene, "Start", then "build tree" (places at 1x).
    click "$trellis" 47 409
    click "$trellis" 160 652
    sleep 2
    click "$trellis" 1112 21
    sleep 2
    click "$trellis" 380 40 # the scan's first entry, with its script
    shot "$trellis" "trellis-${scale}x.png"
    kill $app
    wait $app 2>/dev/null || true
done
