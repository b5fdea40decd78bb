#!/bin/sh
# Installs the Debian package from BUILD_DIR (made by `make package`) into a
# clean Debian 12 root and runs the three programs there on the demo mission;
# validates the package's desktop entries and metainfo.
#
# The root is made once with debootstrap (minbase, bookworm, from the Debian
# mirror this machine's apt uses) and kept as a tarball in
# BUILD_DIR/package-check; each run unpacks a fresh copy. The Debian packages
# the install downloads are kept there too. DEBIAN_MIRROR=URL overrides the
# mirror. Needs root (chroot).
set -eu

build=$(cd "${1:-build/release}" && pwd)
src=$(cd "$(dirname "$0")/.." && pwd)
work="$build/package-check"
tarball="$work/bookworm-minbase.tar.gz"
archives="$work/apt-archives"
root="$work/root"
demo="$src/samples/missions/demo/scene2.bin"

fail() {
    echo "package-check: $*" >&2
    exit 1
}

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb="$build/quillscope_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no package $deb: run make package"

# The mirror of the first bookworm source in the machine's apt sources, in
# either format: deb822 stanzas (URIs:, Suites:) or one-line entries.
mirror_of_apt() {
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        awk '
            /^[ \t]*#/ { next }
            /^[ \t]*$/ { uri = ""; suites = ""; next }
            $1 == "URIs:" { uri = $2 }
            $1 == "Suites:" { for (i = 2; i <= NF; i++) if ($i == "bookworm") suites = "yes" }
            $1 == "deb" {
                i = 2
                if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
                if ($(i + 1) == "bookworm") { print $i; exit }
            }
            uri != "" && suites == "yes" { print uri; exit }
        ' "$f"
    done | head -n 1
}
mirror=${DEBIAN_MIRROR:-$(mirror_of_apt)}
[ -n "$mirror" ] || fail "no bookworm source in /etc/apt/sources.list*; set DEBIAN_MIRROR"

cleanup() {
    [ -d "$root" ] && rm -rf "$root"
}
trap cleanup EXIT INT TERM

mkdir -p "$work" "$archives"
if [ ! -f "$tarball" ]; then
    echo "package-check: making a Debian 12 root from $mirror (once)"
    rm -rf "$work/root.new"
    debootstrap --variant=minbase bookworm "$work/root.new" "$mirror" >"$work/debootstrap.log" 2>&1 ||
        fail "debootstrap failed, see $work/debootstrap.log"
    tar -C "$work/root.new" -czf "$tarball.tmp" .
    mv "$tarball.tmp" "$tarball"
    rm -rf "$work/root.new"
fi

rm -rf "$root"
mkdir -p "$root"
tar -C "$root" -xzf "$tarball"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mkdir -p "$root/var/cache/apt/archives"
find "$archives" -name '*.deb' -exec cp {} "$root/var/cache/apt/archives/" \;
cp "$deb" "$root/tmp/quillscope.deb"
mkdir -p "$root/tmp/demo"
cp "$demo" "$root/tmp/demo/scene2.bin"

in_root() {
    chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C.UTF-8 "$@"
}

echo "package-check: installing $(basename "$deb") into the clean root"
in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    /tmp/quillscope.deb >"$work/install.log" 2>&1 || {
    cat "$work/install.log" >&2
    fail "the package does not install"
}
cp "$root"/var/cache/apt/archives/*.deb "$archives/" 2>/dev/null || true

# Each program, without a display.
out=$(in_root quillscope --version) || fail "quillscope --version failed"
[ "$out" = "Quillscope $version" ] || fail "quillscope --version printed '$out'"
echo "  $out"
out=$(in_root trellis scan --json /tmp/demo/scene2.bin) || fail "trellis scan --json failed"
case $out in
'{"entries": ['*'"ticked": true'*) ;;
*) fail "trellis scan --json printed no ticked entry: $out" ;;
esac
echo "  trellis scan --json: $(printf '%s\n' "$out" | grep -c '"index"') entries"
out=$(in_root quill verify /tmp/demo/scene2.bin) || fail "quill verify failed: $out"
case $out in
ok:*) ;;
*) fail "quill verify printed '$out'" ;;
esac
echo "  quill verify: $out"

# The desktop entries and metainfo as the package holds them.
unpacked="$work/unpacked"
rm -rf "$unpacked"
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked"/usr/share/applications/quillscope.desktop \
    "$unpacked"/usr/share/applications/trellis.desktop || fail "desktop-file-validate failed"
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml ||
    fail "appstreamcli validate failed"
rm -rf "$unpacked"
echo "package-check: ok"
