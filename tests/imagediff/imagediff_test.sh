#!/usr/bin/env bash
# imagediff: the summary of two pictures' FLIP error, the error map in the heat
# scale, one line and status 1 for a bad file or a size mismatch, status 2 for
# bad usage.
# Usage: imagediff_test.sh IMAGEDIFF IMAGEINFO WORK_DIR
set -u
tool=$1 info=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
passed=0 failed=0
check() {
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}

# 16x16 flat pictures: black, white, and grey 128 against 153 (0.5 and 0.6).
flat() { { printf 'P3\n16 16\n255\n'; for _ in $(seq 256); do echo "$2 $2 $2"; done; } > "$1"; }
flat black.ppm 0; flat white.ppm 255; flat grey50.ppm 128; flat grey60.ppm 153
{ printf 'P3\n8 16\n255\n'; for _ in $(seq 128); do echo "0 0 0"; done; } > narrow.ppm

out=$("$tool" black.ppm black.ppm); status=$?
check "a picture against itself: all zero" test "$out" = "mean 0.000000 p99 0.000000 over0.1 0.000000"
check "and status 0" test "$status" = 0

# Black against white is 0.96738 everywhere (worked out in tests/metric).
out=$("$tool" black.ppm white.ppm map.png); status=$?
check "black against white" grep -q "^mean 0.9673[78][0-9] p99 0.9673[78][0-9] over0.1 1.000000$" <<<"$out"
check "writes the error map" test "$status" = 0
check "the map is a 16x16 picture" test "$("$info" map.png)" = "map.png: 16x16 24-bit"

# 128 and 153 are not quite 0.5 and 0.6: L* 53.59 and 63.22, the error 0.28103.
out=$("$tool" grey50.ppm grey60.ppm)
check "two greys" grep -q "^mean 0.2810[0-9][0-9] p99 0.2810[0-9][0-9] over0.1 1.000000$" <<<"$out"
# Seen from afar nothing but the flat colours changes: a flat picture has no detail.
check "--ppd changes nothing for flat pictures" test "$("$tool" --ppd 20 grey50.ppm grey60.ppm)" = "$out"

out=$("$tool" black.ppm narrow.ppm 2>&1); status=$?
check "different sizes are refused in one line" test "$out" = \
  "imagediff: black.ppm is 16x16 but narrow.ppm is 8x16; only pictures of one size compare"
check "with status 1" test "$status" = 1

out=$("$tool" black.ppm missing.png map2.png 2>&1); status=$?
check "a missing file is named" grep -q "missing.png" <<<"$out"
check "with status 1" test "$status" = 1
check "and no map is written" test ! -e map2.png

out=$("$tool" black.ppm white.ppm map.txt 2>&1); status=$?
check "a map the writer refuses gives status 1" test "$status" = 1

for args in "black.ppm" "--ppd 0 black.ppm white.ppm" "--ppd x black.ppm white.ppm" "--ppd 2000 black.ppm white.ppm" \
            "--bogus black.ppm white.ppm" "black.ppm white.ppm map.png extra"; do
  "$tool" $args >/dev/null 2>&1; status=$?
  check "bad usage ($args) gives status 2" test "$status" = 2
done

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
