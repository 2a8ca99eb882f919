#!/usr/bin/env bash
# Fails, naming each offence, when the code or the link graph leaves the layers: Qt and codec headers
# only in platform/ (and the platform's own tests); no platform header in the program, the engine
# or the string table; every link edge of the configured build (cmake --graphviz) on the list below,
# without a cycle; vimbel-batch without QtWidgets, QtTest or a direct QtDBus. Takes the build folder
# (default: build), built.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
failures=0
fail() {
    echo "check-layers: $*" >&2
    failures=$((failures + 1))
}

# Qt and codec headers.
qt='#[[:space:]]*include[[:space:]]*[<"](Q[A-Za-z]+|Qt[A-Za-z]*/|jpeglib\.h|jerror\.h|turbojpeg\.h|png\.h|libheif/|jxl/|webp/|tiffio?\.h|gif_lib\.h|zlib\.h|lcms2\.h|avif/)'
# bench/jpegfloor.cpp is the bare libjpeg-turbo floor that the benchmark compares against.
while IFS= read -r hit; do
    fail "Qt or codec header outside platform/: $hit"
done < <(git grep -nE "$qt" -- '*.cpp' '*.h' ':!platform/' ':!tests/platform/' \
    ':!bench/jpegfloor.cpp' || true)

# Platform headers.
while IFS= read -r hit; do
    fail "platform header in code above the contract: $hit"
done < <(git grep -nE '#[[:space:]]*include[[:space:]]*"platform/' -- strings engine mainwindow helpabout main.cpp || true)

# The link graph. Each project target may link only what its line names; tests (and their mains
# and support libraries) may link anything, and nothing but a test links them.
graph=$(mktemp -d)
trap 'rm -rf "$graph"' EXIT
if ! cmake "$build" --graphviz="$graph/graph.dot" >"$graph/cmake.log" 2>&1; then
    fail "cmake could not configure $build: $(grep -A8 'CMake Error' "$graph/cmake.log" | head -20)"
fi
touch "$graph/graph.dot"
allowed='
framework:
strings: framework
engine: framework strings
helpabout: framework strings
mainwindow: framework strings engine helpabout
batchcli: engine
platform_core: framework Qt6::Core
platform_picture: framework platform_core Qt6::Gui PkgConfig::JPEG PkgConfig::PNG PkgConfig::TIFF PkgConfig::ZLIB PkgConfig::HEIF PkgConfig::JXL
platform_ui: framework platform_picture Qt6::Widgets Qt6::Network
platform_testing: framework platform_ui Qt6::Test
vimbelicon: Qt6::Core Qt6::rcc
vimbel: mainwindow vimbelicon framework platform_ui platform_picture platform_core
batchprobe: mainwindow framework platform_ui platform_picture platform_core
handoverprobe: mainwindow framework platform_testing platform_ui platform_picture platform_core
vimbel-batch: batchcli framework platform_picture platform_core
picturebench: framework platform_picture platform_core
picture_files: picture_testsupport Qt6::Core
jpegfloor: PkgConfig::JPEG
'
# "from to" for every edge between named targets; the link group markers are left out.
awk '
    /^ *"node[0-9]+" \[ label = / {
        match($0, /label = "[^"]*"/)
        name[$1] = substr($0, RSTART + 9, RLENGTH - 10)
        next
    }
    /^ *"node[0-9]+" -> "node[0-9]+"/ { print name[$1] " " name[$3] }
' "$graph/graph.dot" | grep -v '<' | sort -u >"$graph/edges"
istest() { [[ $1 == *_test || $1 == testmain_* || $1 == *testsupport ]]; }
while read -r from to; do
    [[ $from == *::* || $from == /* ]] && continue  # imported targets
    if istest "$from"; then
        continue
    fi
    line=$(grep -E "^$from:" <<<"$allowed" || true)
    if [ -z "$line" ]; then
        fail "link graph: $from is on no layer (add it to scripts/check-layers.sh)"
    elif ! grep -qE "[: ]$to( |$)" <<<"$line"; then
        fail "link graph: $from -> $to breaks the layers ($line)"
    fi
done <"$graph/edges"
if ! tsort "$graph/edges" >/dev/null 2>"$graph/tsort"; then
    fail "link graph has a cycle: $(tr '\n' ' ' <"$graph/tsort")"
fi

# The tool without windows.
batch="$build/vimbel-batch"
if [ ! -x "$batch" ]; then
    fail "$batch is not built"
else
    while IFS= read -r library; do
        fail "vimbel-batch loads $library"
    done < <(ldd "$batch" | awk '{ print $1 }' | grep -E '^libQt6(Widgets|Test)' || true)
    while IFS= read -r library; do
        fail "vimbel-batch links $library itself"
    done < <(readelf -d "$batch" | grep NEEDED | grep -oE 'libQt6(Widgets|Test|DBus)[^]]*' || true)
fi

if [ "$failures" -gt 0 ]; then
    echo "check-layers: $failures offence(s); the layers are described in README.md" >&2
    exit 1
fi
echo "check-layers: ok"
