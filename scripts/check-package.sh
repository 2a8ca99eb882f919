#!/usr/bin/env bash
# Builds the Debian package from a built tree (default: build) and checks it the way a user's
# machine would see it: the desktop entry and the AppStream metadata validate, every file the
# program needs is in the package, the installed program finds its libraries and starts, and apt
# can install the package with this system's packages.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
version=$(sed -n 's/^project(vimbel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb="$build/vimbel_${version}_$(dpkg --print-architecture).deb"

fail() {
    echo "check-package: $*" >&2
    exit 1
}

desktop-file-validate packaging/vimbel.desktop
appstreamcli validate --no-net packaging/vimbel.metainfo.xml >/dev/null

rm -f "$deb"
(cd "$build" && cpack -G DEB >/dev/null)
[ -f "$deb" ] || fail "cpack made no $deb"

scratch=$(mktemp -d)
trap 'kill "${started:-}" 2>/dev/null || true; rm -rf "$scratch"' EXIT
root="$scratch/root"
dpkg-deb -x "$deb" "$root"

expected=(
    usr/lib/vimbel/vimbel
    usr/share/applications/vimbel.desktop
    usr/share/metainfo/org.example.vimbel.metainfo.xml
    usr/share/icons/hicolor/scalable/apps/vimbel.svg
)
for page in index historic resizing exportation faq; do
    expected+=("usr/lib/vimbel/data/helpen/$page.html")
done
for size in 16 22 24 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/vimbel.png")
done
for file in "${expected[@]}"; do
    [ -s "$root/$file" ] || fail "the package lacks $file"
done
[ -L "$root/usr/bin/vimbel" ] || fail "usr/bin/vimbel is not a link"
[ "$(readlink -f "$root/usr/bin/vimbel")" = "$(readlink -f "$root/usr/lib/vimbel/vimbel")" ] ||
    fail "usr/bin/vimbel does not lead to the program"

desktop-file-validate "$root/usr/share/applications/vimbel.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.example.vimbel.metainfo.xml" >/dev/null
grep -qx 'Icon=vimbel' "$root/usr/share/applications/vimbel.desktop" || fail "the entry names no icon"

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6network6 fonts-dejavu-core; do
    grep -q "\b$package\b" <<<"$depends" || fail "Depends lacks $package: $depends"
done
if ldd "$root/usr/lib/vimbel/vimbel" | grep -q 'not found'; then
    fail "the program misses libraries: $(ldd "$root/usr/lib/vimbel/vimbel" | grep 'not found')"
fi

# The program from the package starts and reaches its event loop: it then takes hand-overs on
# its socket in the runtime folder.
mkdir -m 700 "$scratch/home" "$scratch/runtime"
HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" XDG_RUNTIME_DIR="$scratch/runtime" \
    QT_QPA_PLATFORM=offscreen "$root/usr/bin/vimbel" >"$scratch/log" 2>&1 &
started=$!
for _ in $(seq 200); do
    [ -S "$scratch/runtime/vimbel.socket" ] && break
    kill -0 "$started" 2>/dev/null || fail "the packaged program ended at start: $(cat "$scratch/log")"
    sleep 0.1
done
[ -S "$scratch/runtime/vimbel.socket" ] || fail "the packaged program did not come up"
kill "$started"
wait "$started" 2>/dev/null || true
started=

# What apt would do with the package on this system, without changing it.
apt-get install --simulate --no-install-recommends "./$deb" >"$scratch/apt" 2>&1 ||
    fail "apt cannot install the package: $(cat "$scratch/apt")"
echo "check-package: $deb is complete and installable"
