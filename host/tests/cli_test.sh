#!/bin/bash
# qhost as a command-line tool: exit codes, one-line errors naming the file,
# pipes in and out, Ctrl-C.
#
#   cli_test.sh QHOST TEST_FILTER TEST_OUTPUT
set -uo pipefail
qhost=$1 filter=$2 output=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

# check CODE TEXT ARGS...: qhost ARGS exits with CODE, and its stderr is one
# line holding TEXT (or is empty when TEXT is empty).
check() {
  local want=$1 text=$2
  shift 2
  "$qhost" "$@" >"$tmp/out" 2>"$tmp/err"
  local code=$?
  local lines
  lines=$(wc -l <"$tmp/err")
  if [ "$code" != "$want" ] || { [ -n "$text" ] && { ! grep -qF -- "$text" "$tmp/err" || [ "$lines" != 1 ]; }; } ||
     { [ -z "$text" ] && [ -s "$tmp/err" ]; }; then
    echo "FAIL: qhost $* -> exit $code (want $want), stderr:"
    sed 's/^/  | /' "$tmp/err"
    failures=$((failures + 1))
  fi
}

printf 'YUV4MPEG2 W4 H2 C444\nFRAME\n%024d' 0 >"$tmp/good.y4m"
printf 'YUV4MPEG2 W4 H2 C444\nFRAME\n%024dFRAME\n%010d' 0 0 >"$tmp/short.y4m"
printf 'YUV4MPEG2 W4 H2 C444 Q9\n' >"$tmp/tag.y4m"
printf 'YUV4MPEG2 W4000000000 H2\n' >"$tmp/huge.y4m"
printf 'BM%060d' 0 >"$tmp/broken.bmp"
echo "not a library" >"$tmp/text.qfp"
libc=$(ldd "$qhost" | awk '/libc\.so/ {print $3}')

# Usage
check 2 "no command"
check 2 "unknown command frobnicate" frobnicate
check 2 "unknown option --bogus" run --bogus
check 2 "nothing to write" run
check 2 "--frames takes a number" run --frames x --crc
check 2 "--raw needs an input file" run --raw 4x4 --crc
check 2 "more than one input" run a.y4m b.y4m --crc
# Plug-ins
check 2 "$tmp/missing.qfp: cannot load" info "$tmp/missing.qfp"
check 2 "$tmp/text.qfp: cannot load" run --filter "$tmp/text.qfp" --crc
check 2 "$libc: is not a plug-in" info "$libc"
check 2 "is an output plug-in, not a filter" run --filter "$output" --crc
check 2 "no setting \"Bogus\"" run --filter "$filter:Bogus=1" --crc
check 2 "\"Size \" = 11 is outside the range -10..10" run --filter "$filter:Size=11" --crc
check 1 "$filter: reported a failure (frame 0)" run --frames 2 --filter "$filter:2=3" --crc
check 1 "$filter: wrote 1 pixels outside the frames it was lent (frame 0)" run --frames 2 --filter "$filter:2=1" --crc
# Input
check 2 "$tmp/short.y4m: frame 1 is truncated (10 of 24 bytes)" run "$tmp/short.y4m" --crc
check 2 "$tmp/tag.y4m: unknown header tag \"Q9\"" run "$tmp/tag.y4m" --crc
check 2 "$tmp/huge.y4m: picture size 4000000000x2 is too large" run "$tmp/huge.y4m" --crc
check 2 "$tmp/broken.bmp: BMP information header of 808464432 bytes is not supported" run "$tmp/broken.bmp" --crc
check 2 "$tmp/nothing.y4m: cannot open" run "$tmp/nothing.y4m" --crc
check 2 "<stdin>: frame 1 is truncated" run - --crc <"$tmp/short.y4m"
# Output
check 2 "$tmp/no/dir/out.y4m: cannot create" run --frames 1 -o "$tmp/no/dir/out.y4m"
check 2 "$tmp/no/dir/x.txt: folder $tmp/no/dir does not exist" run --frames 1 --export "$output" "$tmp/no/dir/x.txt"
check 2 "too long" run --frames 1 --export "$output" "$tmp/x.txt" --export-config "$(printf '%300s' x)"
check 0 "" run --frames 2 -q -o "$tmp/ok.y4m"
# An output plug-in's settings block from a file: taken as it is, or refused.
{ printf 'from a file'; head -c 245 /dev/zero; } >"$tmp/block256"
printf 'short' >"$tmp/block5"
check 0 "" run --frames 1 -q --export "$output" "$tmp/block.txt" --export-config-file "$tmp/block256"
[ "$(head -n1 "$tmp/block.txt")" = "from a file" ] || { echo "FAIL: settings block from a file"; failures=$((failures + 1)); }
check 2 "$output: refused a settings block of 5 bytes" run --frames 1 --export "$output" "$tmp/x.txt" --export-config-file "$tmp/block5"
check 0 "" run "$tmp/good.y4m" -q --crc

# stdin, also when an export needs the frame count up front.
"$qhost" run --frames 3 -q -o "$tmp/three.y4m"
"$qhost" run "$tmp/three.y4m" --crc >"$tmp/file.crc"
"$qhost" run - --crc <"$tmp/three.y4m" >"$tmp/pipe.crc"
cmp -s "$tmp/file.crc" "$tmp/pipe.crc" || { echo "FAIL: y4m from stdin reads differently"; failures=$((failures + 1)); }
cat "$tmp/three.y4m" | "$qhost" run - -q --export "$output" "$tmp/piped.txt"
grep -q "frames 3 " "$tmp/piped.txt" || { echo "FAIL: export from stdin"; failures=$((failures + 1)); }

# Raw PIXEL_YC frames come back exactly, from a file and from stdin.
"$qhost" run --frames 3 --crc >"$tmp/sample.crc"
"$qhost" run --frames 3 -q --raw-out -o "$tmp/three.yc"
"$qhost" run "$tmp/three.yc" --raw 640x360 --crc >"$tmp/raw.crc"
"$qhost" run - --raw 640x360 --crc <"$tmp/three.yc" >"$tmp/rawpipe.crc"
if ! cmp -s "$tmp/sample.crc" "$tmp/raw.crc" || ! cmp -s "$tmp/sample.crc" "$tmp/rawpipe.crc"; then
  echo "FAIL: raw frames do not come back as written"; failures=$((failures + 1))
fi

# A reader that goes away ends the run quietly and successfully.
"$qhost" run --frames 300 -q -o - 2>"$tmp/err" | head -c 1000 >/dev/null
codes=("${PIPESTATUS[@]}")
if [ "${codes[0]}" != 0 ] || [ -s "$tmp/err" ]; then
  echo "FAIL: closed pipe -> exit ${codes[0]}, stderr: $(cat "$tmp/err")"; failures=$((failures + 1))
fi

# Ctrl-C: the export plug-in is asked to stop, and what was written stays.
"$qhost" run --sample-size 64x48 --frames 100000000 -q --export "$output" "$tmp/int.txt" 2>"$tmp/err" &
pid=$!
for _ in $(seq 100); do grep -q "^frame 3 " "$tmp/int.txt" 2>/dev/null && break; sleep 0.1; done
kill -INT $pid
wait $pid
code=$?
if [ $code != 1 ] || ! grep -q "interrupted after" "$tmp/err" || [ "$(tail -n1 "$tmp/int.txt")" != stopped ]; then
  echo "FAIL: Ctrl-C during an export -> exit $code, stderr: $(cat "$tmp/err"), log ends: $(tail -n1 "$tmp/int.txt")"
  failures=$((failures + 1))
fi
# ... and of a y4m file, every frame written is whole.
"$qhost" run --sample-size 64x48 --frames 100000000 -q -o "$tmp/int.y4m" 2>"$tmp/err" &
pid=$!
sleep 0.5
kill -INT $pid
wait $pid
code=$?
size=$(stat -c %s "$tmp/int.y4m")
header=$(head -n1 "$tmp/int.y4m" | wc -c)
if [ $code != 1 ] || [ $(((size - header) % (6 + 64 * 48 * 3 / 2))) != 0 ]; then
  echo "FAIL: Ctrl-C during a y4m run -> exit $code, $size bytes"; failures=$((failures + 1))
fi

[ $failures = 0 ] && echo "all passed"
exit $((failures > 0))
