#!/bin/sh
# `cmake --install` of BUILD_DIR: the files a desktop program needs, the same
# bytes under any prefix, none naming the prefix or the build tree, and each
# accepted by its validator.
# Usage: install_tree.sh BUILD_DIR
set -eu
build=$(cd "$1" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$tmp/a/usr" >/dev/null
cmake --install "$build" --prefix "$tmp/b/opt/quill scope" >/dev/null
a="$tmp/a/usr"

(cd "$a" && find . ! -type d | sort) >"$tmp/installed"
cat >"$tmp/expected" <<'LIST'
./bin/quill
./bin/quillscope
./bin/trellis
./share/applications/quillscope.desktop
./share/applications/trellis.desktop
./share/icons/hicolor/scalable/apps/quillscope.svg
./share/icons/hicolor/scalable/apps/trellis.svg
./share/man/man1/quill.1
./share/man/man1/trellis.1
./share/metainfo/io.github.quillscope.Quillscope.metainfo.xml
./share/mime/packages/quillscope.xml
LIST
diff -u "$tmp/expected" "$tmp/installed" || fail "installed files differ from the list"

# Relocatable: another prefix gets the same files, byte for byte.
diff -r "$a" "$tmp/b/opt/quill scope" >/dev/null || fail "installs under two prefixes differ"
if grep -rlIF -e "$tmp" -e "$build" "$a"; then
    fail "installed files name the prefix or the build tree"
fi

for p in quill trellis quillscope; do
    [ -x "$a/bin/$p" ] || fail "bin/$p is not executable"
done
[ "$("$a/bin/quill" --version)" = "quill 4.01" ] || fail "the installed quill --version"

desktop-file-validate "$a/share/applications/quillscope.desktop" \
    "$a/share/applications/trellis.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$a/share/metainfo/io.github.quillscope.Quillscope.metainfo.xml" \
    >"$tmp/appstream" 2>&1 || {
    cat "$tmp/appstream" >&2
    fail "appstreamcli validate"
}
grep -q '<release version="4.01"' "$a/share/metainfo/io.github.quillscope.Quillscope.metainfo.xml" ||
    fail "the metainfo's release is not 4.01"
for page in quill trellis; do
    LC_ALL=C.UTF-8 groff -man -ww -z "$a/share/man/man1/$page.1" 2>"$tmp/groff" ||
        fail "groff on $page.1"
    [ ! -s "$tmp/groff" ] || {
        cat "$tmp/groff" >&2
        fail "groff warns on $page.1"
    }
    head -n 1 "$a/share/man/man1/$page.1" | grep -q ' 4\.01" ' || fail "$page.1 is not of 4.01"
done

# The MIME package gives the two types their globs, and the editor's desktop
# entry opens scenes.
mkdir -p "$tmp/mime/packages"
cp "$a/share/mime/packages/quillscope.xml" "$tmp/mime/packages/"
update-mime-database "$tmp/mime" 2>"$tmp/mime.err" || {
    cat "$tmp/mime.err" >&2
    fail "update-mime-database"
}
grep -qFx '60:application/x-quillscope-scene:scene2.bin' "$tmp/mime/globs2" ||
    fail "no glob scene2.bin for application/x-quillscope-scene"
grep -qFx '50:application/x-quillscope-addin:*.qxa' "$tmp/mime/globs2" ||
    fail "no glob *.qxa for application/x-quillscope-addin"
grep -qFx 'MimeType=application/x-quillscope-scene;' "$a/share/applications/quillscope.desktop" ||
    fail "quillscope.desktop does not open scenes"
grep -qFx 'Exec=quillscope %f' "$a/share/applications/quillscope.desktop" ||
    fail "quillscope.desktop does not pass the file"
grep -qFx 'Exec=trellis' "$a/share/applications/trellis.desktop" ||
    fail "trellis.desktop does not start trellis from the PATH"
echo "install tree: ok"
