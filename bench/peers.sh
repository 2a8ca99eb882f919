#!/usr/bin/env bash
# Times vimbel-batch against vipsthumbnail, ImageMagick's mogrify and the bare libjpeg-turbo floor
# on real photographs from Debian's wallpaper packages, in one run, and prints per tool the wall
# time per picture, the peak memory and the mean PSNR against a Lanczos reference of the same size.
#
#   bench/peers.sh [BUILD_DIR]      (default: build; vimbel-batch is built there first)
#
# Everything runs single-threaded. The corpus and the outputs go to a temporary folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

scripts/install-deps.sh mate-backgrounds lomiri-wallpapers plasma-workspace-wallpapers \
    gnome-backgrounds ukui-wallpapers libvips-tools imagemagick libjpeg-turbo-progs time python3
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target vimbel-batch >/dev/null
batch=$(realpath "$build/vimbel-batch")

work=$(mktemp -d /tmp/vimbel-peers.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/jpeg" "$work/png"

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

njpeg=$(ls "$work/jpeg" | wc -l)
npng=$(ls "$work/png" | wc -l)
mp=$(identify -quiet -format '%w %h\n' "$work"/jpeg/* | awk '{s += $1 * $2} END {printf "%.0f", s / 1e6}')
echo "corpus: $njpeg JPEGs ($mp MP), $npng PNGs"

export VIPS_CONCURRENCY=1 OMP_NUM_THREADS=1 MAGICK_THREAD_LIMIT=1
results="$work/results.tsv"
: > "$results"

# measure NAME JOB OUTDIR COMMAND...: wall seconds and peak RSS of one whole run.
measure() {
    local name=$1 job=$2 out=$3
    shift 3
    /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" ||
        { echo "$name failed:"; cat "$work/stderr.txt"; return 1; }
    read -r secs kb < "$work/time.txt"
    printf '%s\t%s\t%s\t%s\t%s\n' "$job" "$name" "$secs" "$kb" "$out" >> "$results"
}

# The floor: djpeg at the smallest DCT scale that covers the box target, piped to cjpeg. The scales
# are worked out before the timing starts, so that only the codec runs are measured.
identify -format '%d/%f %w %h\n' "$work"/jpeg/*.jpg 2>/dev/null | python3 -c "
import sys
for line in sys.stdin:
    f, w, h = line.rsplit(' ', 2)
    w, h = int(w), int(h)
    tw, th = (1024, int(h * 1024 / w)) if w / 1024 > h / 768 else (int(w * (768 / h)), 768)
    print(f, next(m for m in range(1, 9) if -(-w * m // 8) >= tw and -(-h * m // 8) >= th))
" > "$work/floor-scales.txt"
floor_jpeg() {
    local out=$1 f s
    while read -r f s; do
        djpeg -scale "$s/8" "$f" | cjpeg -quality 80 > "$out/$(basename "$f")"
    done < "$2"
}
export -f floor_jpeg

mkdir -p "$work"/out-{vips,im,floor}-jpeg "$work"/out-{vips,vipsresize,im}-png

# The JPEG job: fit in a 1024 x 768 box, JPEG quality 80. vimbel-batch makes its own output
# folder beside the source.
src="$work/jpeg"
measure vimbel jpeg "$work/jpeg (1024x768)" "$batch" --resizeType=2 --boxWidth=1024 \
    --boxHeight=768 --jpegQuality=80 "$src"
measure vipsthumbnail jpeg "$work/out-vips-jpeg" sh -c \
    "vipsthumbnail -s 1024x768 -o '$work/out-vips-jpeg/%s.jpg[Q=80]' '$src'/*.jpg"
measure mogrify jpeg "$work/out-im-jpeg" mogrify -limit thread 1 -path "$work/out-im-jpeg" \
    -resize 1024x768 -quality 80 "$src"/*.jpg
measure libjpeg-floor jpeg "$work/out-floor-jpeg" bash -c \
    "floor_jpeg '$work/out-floor-jpeg' '$work/floor-scales.txt'"

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

# Quality and the table.
python3 - "$work" "$results" "$njpeg" "$npng" <<'EOF'
import os, re, subprocess, sys
work, results, njpeg, npng = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
rows = [l.rstrip("\n").split("\t") for l in open(results)]
srcdir = {"jpeg": os.path.join(work, "jpeg"), "png": os.path.join(work, "png")}

def psnr(out, src):
    # Reference: ImageMagick Lanczos from the full source to the output's exact size.
    size = subprocess.run(["identify", "-format", "%wx%h", out], capture_output=True, text=True).stdout
    ref = os.path.join(work, "ref.png")
    subprocess.run(["convert", src, "-auto-orient", "-alpha", "off", "-filter", "Lanczos",
                    "-resize", size + "!", ref], check=True, stderr=subprocess.DEVNULL)
    r = subprocess.run(["compare", "-metric", "PSNR", "-alpha", "off", out, ref, "null:"],
                       capture_output=True, text=True)
    m = re.match(r"[\d.]+|inf", r.stderr.strip())
    return float(m.group(0)) if m and m.group(0) != "inf" else 99.0

table = {}
for job, name, secs, kb, out in rows:
    n = njpeg if job == "jpeg" else npng
    scores = []
    for f in sorted(os.listdir(out)):
        stem = os.path.splitext(f)[0]
        ext = ".jpg" if job == "jpeg" else ".png"
        src = os.path.join(srcdir[job], stem + ext)
        if os.path.exists(src):
            scores.append(psnr(os.path.join(out, f), src))
    mean = sum(scores) / len(scores) if scores else float("nan")
    table[(job, name)] = (float(secs) * 1000 / n, int(kb) / 1024, mean, len(scores))

for job in ("jpeg", "png"):
    title = {"jpeg": "fit in 1024x768, JPEG q80", "png": "50 percent, PNG"}[job]
    print(f"\n{title}")
    print(f"{'tool':<15}{'ms/picture':>12}{'peak MB':>10}{'PSNR dB':>10}{'files':>7}{'time vs ours':>14}")
    ours = table[(job, "vimbel")][0]
    for (j, name), (ms, mb, p, nfiles) in table.items():
        if j == job:
            print(f"{name:<15}{ms:>12.1f}{mb:>10.1f}{p:>10.2f}{nfiles:>7}{ms / ours:>13.2f}x")
EOF
