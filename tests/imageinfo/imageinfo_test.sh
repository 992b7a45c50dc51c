#!/usr/bin/env bash
# imageinfo: one line per file, exit 0 only when every file loaded, and --raw
# writing the decoded pixels row 0 first, tightly packed, never over an input
# and never into anything but a regular file.
# Usage: imageinfo_test.sh IMAGEINFO WORK_DIR
set -u
tool=$1 work=$2
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
passed=0 failed=0
check() {
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}

# A 2x2 picture: red, green on the top row; blue, white below.
printf 'P3\n# made by the test\n2 2\n255\n255 0 0  0 255 0\n0 0 255  255 255 255\n' > small.ppm
out=$("$tool" --raw pixels.raw small.ppm 2>/dev/null); status=$?
check "a good file reports its size and depth" test "$out" = "small.ppm: 2x2 24-bit"
check "all files loaded: status 0" test "$status" = 0
check "the raw dump is row 0 first, tightly packed" \
  test "$(od -An -tx1 -v pixels.raw | tr -d ' \n')" = "ff000000ff000000ffffffff"

# Loaders may print their own reason on either stream before the verdict line.
out=$("$tool" small.ppm missing.png 2>/dev/null); status=$?
check "each file gets its verdict line" grep -qx "small.ppm: 2x2 24-bit" <<<"$out"
check "a missing file is reported as failed" grep -qx "missing.png: failed" <<<"$out"
check "a failed file gives status 1" test "$status" = 1

printf 'P3\n# lies about its size\n99999 99999\n255\n1 2 3\n' > huge.ppm
out=$("$tool" huge.ppm 2>/dev/null); status=$?
check "an absurd size is refused" grep -qx "huge.ppm: failed" <<<"$out"
check "and gives status 1" test "$status" = 1

# The raw output may not be one of the inputs, under any name: it is refused
# before anything is read or written.
cp small.ppm self.ppm && ln -s self.ppm alias.raw
for target in self.ppm alias.raw; do
  out=$("$tool" --raw "$target" self.ppm 2>&1); status=$?
  check "--raw $target over its own input is refused" grep -q "is also an input (self.ppm)" <<<"$out"
  check "with status 1" test "$status" = 1
done
check "and the input is left whole" cmp -s small.ppm self.ppm

# A FIFO as the output is refused at once instead of waiting for a reader.
mkfifo out.fifo
out=$(timeout 10 "$tool" --raw out.fifo small.ppm 2>&1); status=$?
check "a FIFO output is refused without waiting" grep -qx "imageinfo: cannot write out.fifo: is a FIFO, not a regular file" <<<"$out"
check "with status 1" test "$status" = 1

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
