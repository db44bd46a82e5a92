#!/bin/bash
# ffmpeg as a peer: y4m that ffmpeg writes is read as ffmpeg reads it, and
# ffmpeg reads the y4m that qhost writes as the same pictures.
#
#   ffmpeg_peer.sh QHOST
set -euo pipefail
qhost=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
ff() { ffmpeg -nostdin -v error -y "$@"; }
md5s() { ffmpeg -nostdin -v error -i "$1" -f framemd5 - | grep -v '^#'; }
status=0

# 8-bit layouts: through qhost and back, every frame is the same picture.
for fmt in yuv420p yuv422p yuv444p gray; do
  ff -f lavfi -i testsrc2=size=97x61:rate=25 -frames:v 5 -pix_fmt $fmt "$tmp/ff.y4m"
  "$qhost" run "$tmp/ff.y4m" -q -o "$tmp/ours.y4m"
  if [ "$(md5s "$tmp/ff.y4m")" != "$(md5s "$tmp/ours.y4m")" ]; then
    echo "FAIL $fmt: ffmpeg reads other pictures from qhost's y4m"; status=1
  fi
done

# Compares two raw files byte for byte, allowing a difference of LIMIT.
close() {
  python3 - "$1" "$2" "$3" <<'PY'
import sys
a, b, limit = open(sys.argv[1], 'rb').read(), open(sys.argv[2], 'rb').read(), int(sys.argv[3])
if len(a) != len(b):
    sys.exit(f"sizes differ: {len(a)} and {len(b)}")
worst = max((abs(x - y) for x, y in zip(a, b)), default=0)
if worst > limit:
    sys.exit(f"largest difference {worst} > {limit}")
PY
}

# 16-bit 4:4:4 as ffmpeg writes it: qhost's 8-bit reading of it against ffmpeg's.
ff -f lavfi -i testsrc2=size=64x48:rate=25 -frames:v 3 -pix_fmt yuv444p16 -strict -1 "$tmp/ff16.y4m"
head -c 40 "$tmp/ff16.y4m" | grep -q C444p16 || { echo "FAIL: ffmpeg wrote no C444p16 stream"; status=1; }
"$qhost" run "$tmp/ff16.y4m" -q --chroma 444 -o "$tmp/ours8.y4m"
ff -i "$tmp/ours8.y4m" -f rawvideo -pix_fmt yuv444p "$tmp/ours8.yuv"
ff -i "$tmp/ff16.y4m" -f rawvideo -pix_fmt yuv444p "$tmp/ff8.yuv"
close "$tmp/ours8.yuv" "$tmp/ff8.yuv" 1 || { echo "FAIL 444p16: 8-bit pictures differ"; status=1; }
# ... and what qhost writes at 16 bits, ffmpeg reads within the 12-bit step.
"$qhost" run "$tmp/ff16.y4m" -q -o "$tmp/ours16.y4m"
ff -i "$tmp/ours16.y4m" -f rawvideo -pix_fmt yuv444p "$tmp/ours16.yuv"
close "$tmp/ours16.yuv" "$tmp/ff8.yuv" 1 || { echo "FAIL 444p16: 16-bit output differs"; status=1; }

# BMP: qhost's RGB conversion against ffmpeg's (BT.601, limited range).
ff -f lavfi -i testsrc2=size=63x41 -frames:v 1 -pix_fmt bgr24 "$tmp/in.bmp"
"$qhost" run "$tmp/in.bmp" -q --chroma 444 -o "$tmp/bmp.y4m"
ff -i "$tmp/bmp.y4m" -f rawvideo -pix_fmt yuv444p "$tmp/bmp_ours.yuv"
ff -i "$tmp/in.bmp" -f rawvideo -pix_fmt yuv444p "$tmp/bmp_ff.yuv"
close "$tmp/bmp_ours.yuv" "$tmp/bmp_ff.yuv" 2 || { echo "FAIL bmp: colour conversion differs from ffmpeg's"; status=1; }

exit $status
