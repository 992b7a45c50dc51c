#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed program
# from an empty folder: it must read its data from <prefix>/share/reliefbench,
# show the scene in a screenshot taken at the end of its very first frame, and
# quit with status 0; an option without its value is named and refused.
# Usage: install_test.sh BUILD_DIR WORK_DIR
set -uo pipefail
build=$1 work=$2
rm -rf "$work"
mkdir -p "$work/prefix" "$work/elsewhere"
fail() { echo "FAILED: $*"; exit 1; }
cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "cmake --install"; }
for f in bin/reliefbench bin/imageinfo "share/reliefbench/shaders/iterative parallax.frag" "share/reliefbench/cheap brick.bmp"; do
  [[ -e "$work/prefix/$f" ]] || fail "$f is not installed"
done
cd "$work/elsewhere"
SDL_VIDEODRIVER=offscreen timeout 60 "$work/prefix/bin/reliefbench" --exec "screenshot shot.png" --frames 1 \
  >"$work/stdout" 2>"$work/stderr" || { tail "$work/stdout" "$work/stderr"; fail "the installed program did not run"; }
grep -qF "data files from $work/prefix/bin/../share/reliefbench" "$work/stdout" || { cat "$work/stdout"; fail "the data did not come from the prefix"; }
[[ -s shot.png ]] || fail "no screenshot in the working directory"
"$work/prefix/bin/imageinfo" shot.png | grep -q "800x600" || fail "the installed imageinfo cannot read the screenshot"
mean=$(convert shot.png -crop 100x100+350+250 +repage -format '%[fx:mean]' info:)
awk -v m="$mean" 'BEGIN { exit !(m > 0.1) }' || fail "the first frame's screenshot does not show the lit sphere (mean $mean)"
for option in --exec --frames --data; do
  SDL_VIDEODRIVER=offscreen timeout 60 "$work/prefix/bin/reliefbench" $option >"$work/out" 2>&1 && fail "$option without a value was taken"
  grep -qF -- "$option needs a value" "$work/out" || { cat "$work/out"; fail "$option without a value is not named"; }
done
echo "ok: installed, run from another folder, data from the prefix"
