#!/usr/bin/env bash
# Times vimbel-batch against vipsthumbnail, ImageMagick's mogrify and the bare libjpeg-turbo floor
# on real photographs from Debian's wallpaper packages, in one run, and prints per tool the wall
# time per picture, the peak memory and the mean PSNR against a Lanczos reference of the same size.
# The jobs: the JPEGs into a 1024 x 768 box; the same pictures made HEIC and AVIF, into the same
# box; 12 PNGs at 50 percent; a 100-megapixel PNG and a 16000 x 16000 16-bit RGBA PNG into the box.
#
#   bench/peers.sh [BUILD_DIR]      (default: build; vimbel-batch is built there first)
#
# Every tool runs single-threaded, pinned to one processor (codecs that start threads of their own,
# such as dav1d, then share it). The corpus and the outputs go to a temporary folder; the HEIC,
# AVIF and big PNG files made from the corpus are kept in $VIMBEL_BENCH_CACHE (default
# ~/.cache/vimbel-bench), since making them takes longer than the benchmark. The JPEG job runs in
# $VIMBEL_BENCH_ROUNDS rounds (default 3) and reports the median.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

scripts/install-deps.sh mate-backgrounds lomiri-wallpapers plasma-workspace-wallpapers \
    gnome-backgrounds ukui-wallpapers libvips-tools imagemagick libheif-examples time python3
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target vimbel-batch jpegfloor >/dev/null
batch=$(realpath "$build/vimbel-batch")
floor=$(realpath "$build/jpegfloor")
cache=${VIMBEL_BENCH_CACHE:-$HOME/.cache/vimbel-bench}
cpu=$(($(nproc) - 1))
rounds=${VIMBEL_BENCH_ROUNDS:-3}

work=$(mktemp -d /tmp/vimbel-peers.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/jpeg" "$work/png" "$work/heic" "$work/avif" "$work/png100" "$work/png16k" "$cache"

# The corpus: every distinct JPEG photograph, and 12 PNGs of which 6 have transparency.
python3 - "$work" <<'EOF'
import hashlib, os, shutil, subprocess, sys
work = sys.argv[1]
roots = ["/usr/share/backgrounds", "/usr/share/wallpapers"]
seen = set()
files = []
for root in roots:
    for d, _, names in os.walk(root):
        for n in sorted(names):
            p = os.path.join(d, n)
            if os.path.islink(p) or os.path.getsize(p) < 100_000:
                continue
            h = hashlib.sha1(open(p, "rb").read()).hexdigest()
            if h in seen:
                continue
            seen.add(h)
            files.append((p, h))
jpegs = [(p, h) for p, h in files if p.lower().endswith((".jpg", ".jpeg"))]
for p, h in jpegs:
    shutil.copy(p, os.path.join(work, "jpeg", h[:10] + ".jpg"))
pngs = [(p, h) for p, h in files if p.lower().endswith(".png")]
alpha, opaque = [], []
for p, h in pngs:
    ch = subprocess.run(["identify", "-format", "%[channels]", p], capture_output=True, text=True).stdout
    (alpha if "a" in ch else opaque).append((p, h))
for p, h in alpha[:6] + opaque[:6]:
    shutil.copy(p, os.path.join(work, "png", h[:10] + ".png"))
EOF

# The same photographs as HEIC and AVIF (heif-enc, quality 75), and the two big PNGs: a
# 100-megapixel RGB one and a 16000 x 16000 16-bit RGBA one, both made from the largest JPEG.
make_heif() {
    local jpeg=$1 cache=$2 stem
    stem=$(basename "$jpeg" .jpg)
    [ -s "$cache/$stem.heic" ] || heif-enc -q 75 "$jpeg" -o "$cache/$stem.heic" >/dev/null
    [ -s "$cache/$stem.avif" ] || heif-enc -A -q 75 -p speed=6 "$jpeg" -o "$cache/$stem.avif" >/dev/null
}
export -f make_heif
ls "$work"/jpeg/*.jpg | xargs -P "$(nproc)" -I{} bash -c 'make_heif "$@"' _ {} "$cache"
for f in "$work"/jpeg/*.jpg; do
    stem=$(basename "$f" .jpg)
    ln -s "$cache/$stem.heic" "$work/heic/$stem.heic"
    ln -s "$cache/$stem.avif" "$work/avif/$stem.avif"
done
largest=$(identify -format '%[fx:w*h] %d/%f\n' "$work"/jpeg/*.jpg | sort -n | tail -1 | cut -d' ' -f2)
if [ ! -s "$cache/big100.png" ]; then
    scale=$(vipsheader -f width "$largest" | awk -v h="$(vipsheader -f height "$largest")" \
        '{printf "%.6f", sqrt(100e6 / ($1 * h))}')
    vips resize "$largest" "$cache/big100.png" "$scale"
fi
if [ ! -s "$cache/rgba16k.png" ]; then
    vips thumbnail "$largest" "$work/t.v" 16000 --height 16000 --size force
    vips linear "$work/t.v" "$work/tf.v" 257 0
    vips cast "$work/tf.v" "$work/t16.v" ushort
    vips bandjoin_const "$work/t16.v" "$work/t16a.v" 65535
    vips copy "$work/t16a.v" "$work/t16i.v" --interpretation rgb16
    vips copy "$work/t16i.v" "$cache/rgba16k.png"
    rm -f "$work"/t*.v
fi
ln -s "$cache/big100.png" "$work/png100/big100.png"
ln -s "$cache/rgba16k.png" "$work/png16k/rgba16k.png"

njpeg=$(ls "$work/jpeg" | wc -l)
npng=$(ls "$work/png" | wc -l)
mp=$(identify -quiet -format '%w %h\n' "$work"/jpeg/* | awk '{s += $1 * $2} END {printf "%.0f", s / 1e6}')
echo "corpus: $njpeg JPEGs ($mp MP), $npng PNGs"

export VIPS_CONCURRENCY=1 OMP_NUM_THREADS=1 MAGICK_THREAD_LIMIT=1
results="$work/results.tsv"
: > "$results"

# measure NAME JOB OUTDIR COMMAND...: wall seconds and peak RSS of one whole run, on one processor.
measure() {
    local name=$1 job=$2 out=$3
    shift 3
    /usr/bin/time -f "%e %M" -o "$work/time.txt" taskset -c "$cpu" "$@" >/dev/null 2>"$work/stderr.txt" ||
        { echo "$name failed:"; cat "$work/stderr.txt"; return 1; }
    read -r secs kb < "$work/time.txt"
    printf '%s\t%s\t%s\t%s\t%s\n' "$job" "$name" "$secs" "$kb" "$out" >> "$results"
}

mkdir -p "$work"/out-{vips,im,floor}-jpeg "$work"/out-{vips,vipsresize,im}-png \
    "$work"/out-vips-{heic,avif,png100,png16k}

# The JPEG job: fit in a 1024 x 768 box, JPEG quality 80. vimbel-batch makes its own output
# folder beside the source. Its tools are this close to one another (and to the floor) that one
# run of each says little: they take turns for $rounds rounds, and the table gives the median.
src="$work/jpeg"
for round in $(seq "$rounds"); do
    rm -rf "$work/jpeg (1024x768)" "$work"/out-{vips,im,floor}-jpeg
    mkdir -p "$work"/out-{vips,im,floor}-jpeg
    measure vimbel jpeg "$work/jpeg (1024x768)" "$batch" --resizeType=2 --boxWidth=1024 \
        --boxHeight=768 --jpegQuality=80 "$src"
    measure vipsthumbnail jpeg "$work/out-vips-jpeg" sh -c \
        "vipsthumbnail -s 1024x768 -o '$work/out-vips-jpeg/%s.jpg[Q=80]' '$src'/*.jpg"
    measure mogrify jpeg "$work/out-im-jpeg" mogrify -limit thread 1 -path "$work/out-im-jpeg" \
        -resize 1024x768 -quality 80 "$src"/*.jpg
    measure libjpeg-floor jpeg "$work/out-floor-jpeg" "$floor" 1024 768 80 "$work/out-floor-jpeg" \
        "$src"/*.jpg
done

# The same box job on the same photographs as HEIC and AVIF, and on the two big PNGs.
for job in heic avif png100 png16k; do
    src="$work/$job"
    measure vimbel "$job" "$work/$job (1024x768)" "$batch" --resizeType=2 --boxWidth=1024 \
        --boxHeight=768 --jpegQuality=80 "$src"
    measure vipsthumbnail "$job" "$work/out-vips-$job" sh -c \
        "vipsthumbnail -s 1024x768 -o '$work/out-vips-$job/%s.jpg[Q=80]' '$src'/*"
done

# The PNG job: 50 percent, PNG.
src="$work/png"
measure vimbel png "$work/png (50%)" "$batch" --resizeType=0 --proportionalMode=4 \
    --proportionalSize=50 --pictureType=1 --jpegQuality=80 "$src"
measure vipsthumbnail png "$work/out-vips-png" sh -c "for f in '$src'/*.png; do
    w=\$(vipsheader -f width \"\$f\"); h=\$(vipsheader -f height \"\$f\")
    vipsthumbnail -s \$((w / 2))x\$((h / 2)) -o '$work/out-vips-png/%s.png' \"\$f\"; done"
measure vips-resize png "$work/out-vipsresize-png" sh -c "for f in '$src'/*.png; do
    vips resize \"\$f\" '$work/out-vipsresize-png/'\$(basename \"\$f\") 0.5; done"
measure mogrify png "$work/out-im-png" mogrify -limit thread 1 -path "$work/out-im-png" \
    -resize 50% "$src"/*.png

# The raw timings, kept should the quality pass fail.
cp "$results" "${TMPDIR:-/tmp}/vimbel-peers-timings.tsv"

# Quality and the table.
python3 - "$work" "$results" "$njpeg" "$npng" <<'EOF'
import os, re, subprocess, sys
work, results, njpeg, npng = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
rows = [l.rstrip("\n").split("\t") for l in open(results)]
jobs = ["jpeg", "heic", "avif", "png", "png100", "png16k"]
srcdir = {job: os.path.join(work, job) for job in jobs}
counts = {job: len(os.listdir(srcdir[job])) for job in jobs}

def psnr(out, src):
    # Reference: ImageMagick Lanczos from the full source to the output's exact size.
    size = subprocess.run(["identify", "-format", "%wx%h", out], capture_output=True, text=True).stdout
    ref = os.path.join(work, "ref.png")
    made = subprocess.run(["convert", src, "-auto-orient", "-alpha", "off", "-filter", "Lanczos",
                           "-resize", size + "!", ref], stderr=subprocess.DEVNULL)
    if made.returncode != 0:
        return None  # beyond ImageMagick's resource policy (Debian's allows 128 megapixels)
    r = subprocess.run(["compare", "-metric", "PSNR", "-alpha", "off", out, ref, "null:"],
                       capture_output=True, text=True)
    m = re.match(r"[\d.]+|inf", r.stderr.strip())
    return float(m.group(0)) if m and m.group(0) != "inf" else 99.0

# A job run in rounds: the median time, the highest peak.
runs = {}
for job, name, secs, kb, out in rows:
    runs.setdefault((job, name), []).append((float(secs), int(kb), out))
table = {}
for (job, name), found in runs.items():
    times = sorted(secs for secs, _, _ in found)
    secs = times[len(times) // 2]
    kb = max(k for _, k, _ in found)
    out = found[-1][2]
    n = counts[job]
    sources = {os.path.splitext(f)[0]: os.path.join(srcdir[job], f) for f in os.listdir(srcdir[job])}
    scores = []
    # The floor cuts its pictures to the target's size instead of scaling them.
    for f in [] if name == "libjpeg-floor" else sorted(os.listdir(out)):
        src = sources.get(os.path.splitext(f)[0])
        if src:
            score = psnr(os.path.join(out, f), src)
            if score is not None:
                scores.append(score)
    mean = sum(scores) / len(scores) if scores else float("nan")
    table[(job, name)] = (secs * 1000 / n, kb / 1024, mean, len(scores))

titles = {"jpeg": "fit in 1024x768, JPEG q80", "heic": "the same as HEIC, fit in 1024x768",
          "avif": "the same as AVIF, fit in 1024x768", "png": "50 percent, PNG",
          "png100": "100-megapixel PNG, fit in 1024x768",
          "png16k": "16000x16000 16-bit RGBA PNG, fit in 1024x768"}
for job in jobs:
    title = titles[job]
    print(f"\n{title}")
    print(f"{'tool':<15}{'ms/picture':>12}{'peak MB':>10}{'PSNR dB':>10}{'files':>7}{'time vs ours':>14}")
    ours = table[(job, "vimbel")][0]
    for (j, name), (ms, mb, p, nfiles) in table.items():
        if j == job:
            psnr_text = f"{p:.2f}" if nfiles else ""
            print(f"{name:<15}{ms:>12.1f}{mb:>10.1f}{psnr_text:>10}{nfiles:>7}{ms / ours:>13.2f}x")
EOF
