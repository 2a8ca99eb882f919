#!/usr/bin/env bash
# Times damaged, forged and hostile pictures (and good big ones to compare) through what a batch
# does with each (picturebench: open, draw, mask, save as JPEG into a 1024x768 box), each file in a
# process of its own for its peak memory, and checks the time bound: 3 seconds for each 100
# megapixels of a picture that opens, never less than 3 seconds, which is also the bound of a file
# that does not open. Then times the PNG save of a 20-megapixel photograph-like picture at several
# qualities against the default, 80.
#
#   bench/hostile.sh [BUILD_DIR]      (default: build; the tools are built there first)
#
# Exits non-zero when a file goes over its bound. The files are made on the spot
# (picture_files hostile) in a temporary folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
scripts/install-deps.sh time
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target picturebench picture_files >/dev/null
bench=$(realpath "$build/picturebench")

work=$(mktemp -d /tmp/vimbel-hostile.XXXXXX)
trap 'rm -rf "$work"' EXIT
"$build/picture_files" hostile "$work/files"

over=0
printf '| file | size | declared MP | outcome | ms | peak MB | bound ms |\n|---|---|---|---|---|---|---|\n'
for file in "$work"/files/*; do
    name=$(basename "$file")
    rm -rf "$work/one" && mkdir "$work/one" && ln -s "$file" "$work/one/$name"
    /usr/bin/time -f "%M" -o "$work/rss" "$bench" "$work/one" >"$work/out" 2>/dev/null
    line=$(grep -F "$name" "$work/out" | head -1)
    read -r _ size target _ <<<"$line"
    total=$(awk '{ print $(NF - 2) }' <<<"$line")
    # The picture's size when it opened; a file that did not open gets the least bound.
    if [[ $size == *x* ]]; then
        mp=$(awk -v s="$size" 'BEGIN { split(s, a, "x"); printf "%.0f", a[1] * a[2] / 1e6 }')
    else
        mp=0
    fi
    outcome=saved
    [ "$target" = skipped ] && outcome=skipped
    bound=$(awk -v mp="$mp" 'BEGIN { b = 30 * mp; printf "%.0f", b < 3000 ? 3000 : b }')
    peak=$(awk '{ printf "%.0f", $1 / 1024 }' "$work/rss")
    printf '| %s | %s | %s | %s | %.0f | %s | %s |\n' "$name" "$size" "$mp" "$outcome" "$total" \
        "$peak" "$bound"
    if awk -v t="$total" -v b="$bound" 'BEGIN { exit !(t > b) }'; then
        echo "over the bound: $name" >&2
        over=1
    fi
done

# PNG: the quality only sets zlib's effort; no quality may take much longer than the default.
mkdir -p "$work/png" && mv "$work/files/good-5000x4000.tiff" "$work/png/"
printf '\n| PNG quality | save ms | vs 80 |\n|---|---|---|\n'
declare -A save
for quality in 80 1 33 34 66 67 100; do
    save[$quality]=$("$bench" --percent=100 --png --quality="$quality" --repeat=3 "$work/png" |
        awk '/good-5000x4000/ { print $7 }')
    printf '| %s | %s | %.2fx |\n' "$quality" "${save[$quality]}" \
        "$(awk -v a="${save[$quality]}" -v b="${save[80]}" 'BEGIN { print a / b }')"
done
exit $over
