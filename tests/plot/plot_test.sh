#!/usr/bin/env bash
# The plot tools on CSVs with context lines: each writes a PNG; plot-sweep
# marks the front of the metric asked for, skips failed and unmeasured rows,
# draws intervals where there are any, and says GPU time only on a GPU;
# plot-path draws a curve per set and step count.
# Usage: plot_test.sh TOOLS_DIR WORK_DIR
set -u
tools=$1 work=$2
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
passed=0 failed=0
check() {
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
is_png() { [[ -s $1 && $(head -c 8 "$1" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]]; }

# By p99: A8 (10, 5) and C8 (12, 0.5) lead, B8 and A16 are beaten by C8. By
# flip_p99: C8 has none, B8 (15, 0.35) is beaten by A8 (10, 0.30), A16 (20,
# 0.20) stays. B16 failed.
cat > sweep.csv <<'CSV'
# renderer llvmpipe (LLVM 15.0.6, 256 bits)
# camera 1 2 3 0 0 0 1 0.2
set,steps,mean,p95,p99,over1,max,gpu_ms,flip_mean,flip_p99,flip_over,ci_low,ci_high
A,8,1,2,5.0,0.1,9,10,0.05,0.30,0.2,9,11
B,8,1,2,3.0,0.1,9,15,0.03,0.35,0.1,14,16
B,16,failed,-,-,-,-,-,-,-,-,-,-
A,16,1,2,2.0,0.1,9,20,0.04,0.20,0.1,19,21
C,8,1,2,0.5,0.1,9,12,-,-,-,11,13
CSV
PLOT_DATA_DIR=p99 "$tools/plot-sweep" sweep.csv p99.png >/dev/null
check "plot-sweep reads a CSV with context lines and writes a PNG" is_png p99.png
check "the p99 front is A8 and C8" test "$(cat p99/front.dat 2>/dev/null | tr '\n' ';')" = "10 5;12 0.5;"
check "the time axis says software renderer" grep -q "xlabel 'time per frame on the software renderer llvmpipe" p99/plot.gp
check "the title names the renderer" grep -q "(llvmpipe (LLVM 15.0.6, 256 bits))'" p99/plot.gp
check "intervals are drawn as bars" grep -q "using 1:2:4:5 with xerrorbars" p99/plot.gp

PLOT_DATA_DIR=flip "$tools/plot-sweep" --metric flip_p99 sweep.csv flip.png >/dev/null
check "plot-sweep --metric flip_p99 draws" is_png flip.png
check "the flip_p99 front is A8 and A16" test "$(cat flip/front.dat 2>/dev/null | tr '\n' ';')" = "10 0.3;20 0.2;"

# On a GPU, without intervals: GPU time, no bars.
{ echo "# renderer NVIDIA GeForce RTX 3080/PCIe/SSE2"; grep -v '^#' sweep.csv | cut -d, -f1-8; } > gpu.csv
PLOT_DATA_DIR=gpu "$tools/plot-sweep" gpu.csv gpu.png >/dev/null
check "a GPU's time is GPU time" grep -q "xlabel 'GPU time per frame on NVIDIA GeForce RTX 3080/PCIe/SSE2" gpu/plot.gp
check "without ci columns no bars" test "$(grep -c xerrorbars gpu/plot.gp)" = 0

cat > angles.csv <<'CSV'
# renderer llvmpipe (LLVM 15.0.6, 256 bits)
set,steps,angle_from,angle_to,pixels,mean,p95,p99,over1,flip_mean,flip_p99,flip_over
A,32,0,5,100,0.1,0.2,0.3,0.0,0.05,0.2,0.1
A,32,5,10,0,-,-,-,-,-,-,-
CSV
"$tools/plot-angles" angles.csv angles.png >/dev/null
"$tools/plot-angles" --metric flip_p99 angles.csv angles-flip.png >/dev/null
check "plot-angles draws an image column" is_png angles-flip.png
check "plot-angles reads a CSV with context lines" is_png angles.png

cat > scale.csv <<'CSV'
# renderer llvmpipe (LLVM 15.0.6, 256 bits)
# view 800x600 61693
set,size,steps,gpu_ms,mean,p95,p99,over1,max,measured_steps
A,64,16,350.5,0.1,0.1,0.2,0.0,0.7,4 8 16 256
B,64,never,-,1.1,3.7,10.5,0.31,34.5,256
CSV
"$tools/plot-scale" scale.csv scale.png >/dev/null
check "plot-scale reads a CSV with context lines" is_png scale.png

# A path's frames: one curve per set and step count, the first frame's
# missing temporal term and a failed set's rows left out.
cat > frames.csv <<'CSV'
# renderer llvmpipe (LLVM 15.0.6, 256 bits)
frame,degrees,set,steps,mean,p95,p99,over1,max,flip_mean,flip_p99,flip_over,temporal
0,0.0000,A,8,1,2,3,0.1,9,0.20,0.5,0.3,-
0,0.0000,A,64,1,2,3,0.1,9,0.10,0.4,0.2,-
0,0.0000,B,8,failed,-,-,-,-,-,-,-,-
1,0.1000,A,8,1,2,3,0.1,9,0.25,0.5,0.3,0.04
1,0.1000,A,64,1,2,3,0.1,9,0.12,0.4,0.2,0.01
CSV
PLOT_DATA_DIR=path "$tools/plot-path" --metric temporal frames.csv path.png >/dev/null
check "plot-path writes a PNG" is_png path.png
check "plot-path keeps sets and counts apart" test "$(cat path/names 2>/dev/null | tr '\n' ';')" = "A at 8 steps;A at 64 steps;"
check "plot-path leaves out frames without a value" test "$(cat path/set0.dat 2>/dev/null | tr '\n' ';')" = "1 0.04;"
check "plot-path refuses a sweep" bash -c "! '$tools/plot-path' sweep.csv x.png 2>/dev/null"

echo "$passed passed, $failed failed"
[[ $failed == 0 ]]
