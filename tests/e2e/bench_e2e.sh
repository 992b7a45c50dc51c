#!/usr/bin/env bash
# Drives the real bench under Xvfb: start-up picture, a click on a technique, an
# edit of the iteration field, a console command, a light drag and closing the
# window. Usage: bench_e2e.sh PROGRAM DATA_DIR OUT_DIR WMCLOSE
set -uo pipefail
prog=$(realpath "$1") data=$2 out=$(realpath -m "$3") wmclose=$(realpath "$4")
mkdir -p "$out"
if [[ -z "${DISPLAY:-}" || -z "${RB_E2E_INNER:-}" ]]; then
  export RB_E2E_INNER=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
unset SDL_VIDEODRIVER  # a real X11 window this time

passed=0 failed=0
check() {  # description, then a command that must succeed
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok: $what"
  else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
# Mean of one channel (r, g or b; 0..1) over a WxH+X+Y region of a picture.
mean() { convert "$1" -crop "$2" +repage -format "%[fx:mean.$3]" info:; }
# Fraction of pixels of a region that pass an fx test.
share() { convert "$1" -crop "$2" +repage -fx "$3" -format '%[fx:mean]' info:; }
gt() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
# (Without a window, import would wait for a click: fail at once instead.)
shot() { [[ -n "$win" ]] && import -window "$win" "$out/$1.png" 2>/dev/null; }
waitfor() {  # text to find in the program's output, seconds[, how many times]
  for _ in $(seq 1 $(($2 * 10))); do
    (( $(grep -cF -- "$1" "$out/stdout") >= ${3:-1} )) && return 0
    sleep 0.1
  done
  return 1
}
# Takes screenshot NAME until the test command after it passes (10 s at most),
# so that a slow frame on a busy machine is waited for, not failed.
until_shot() {  # name, test command...
  local name=$1; shift
  for _ in $(seq 1 40); do
    shot "$name"
    "$@" && return 0
    sleep 0.25
  done
  return 1
}

# Starts the program with the given arguments (output to stdout$1/stderr$1)
# and waits for its window (a minute at most, for a machine busy with other
# tests): sets pid and win.
start() {
  local suffix=$1; shift
  "$prog" "$@" >"$out/stdout$suffix" 2>"$out/stderr$suffix" &
  pid=$!
  win=""
  for _ in $(seq 1 600); do
    win=$(xdotool search --onlyvisible --name "Relief shading" 2>/dev/null | head -1)
    [[ -n "$win" ]] && break
    sleep 0.1
  done
}

cd "$data"
start ""
if [[ -z "$win" ]]; then
  echo "FAILED: no window appeared"; cat "$out/stdout" "$out/stderr"; kill "$pid" 2>/dev/null; exit 1
fi
sleep 2

# Start-up: a lit sphere in the middle, the panel's labels at the left, the two
# texture displays (brick colours, and the bluish normal map).
shot start
check "the sphere in the middle is lit" gt "$(mean "$out/start.png" 120x120+340+240 r)" 0.08
check "the panel labels are drawn" gt "$(share "$out/start.png" 140x80+12+12 'r>0.8&&g>0.8&&b>0.8')" 0.01
check "the colour map display shows bricks" gt "$(mean "$out/start.png" 40x40+28+329 r)" "$(mean "$out/start.png" 40x40+28+329 b)"
check "the normal-map display is bluish" gt "$(mean "$out/start.png" 40x40+120+329 b)" "$(mean "$out/start.png" 40x40+120+329 r)"
check "the first build uses an empty macro string" waitfor "rebuilding with macro strings:" 5

# A click on "Parallax" rebuilds with its define and turns its label yellow.
xdotool mousemove --window "$win" 40 18 click 1
check "Parallax rebuilds the shader" waitfor "#define PARALLAX" 5
yellow() { gt "$(share "$out/parallax.png" 100x12+12+12 'r>0.7&&g>0.7&&b<0.3')" 0.005; }
check "the Parallax label is yellow" until_shot parallax yellow

# Typing into the iteration field and RETURN rebuilds with the new count.
xdotool mousemove --window "$win" 40 215 click 1
sleep 0.3
xdotool key BackSpace BackSpace 1 6 Return
check "the iteration field rebuilds with 16 steps" waitfor "#define ITERATIVE_STEPS	16.0" 5

# The console opens with the backquote key and runs a typed command.
xdotool mousemove --window "$win" 600 400
xdotool key grave
sleep 0.3
xdotool type --delay 30 "echo console-says-hi"
xdotool key Return
check "the console runs a typed command" waitfor "console-says-hi" 5
xdotool type --delay 30 "lightPos"
xdotool key Return
waitfor "lightPos :=" 5
before=$(grep -F "lightPos :=" "$out/stdout" | tail -1)
xdotool key grave
sleep 0.3

# A drag moves the light.
xdotool mousemove --window "$win" 500 300 mousedown 1
for i in $(seq 1 10); do xdotool mousemove --window "$win" $((500 + 6 * i)) $((300 - 4 * i)); sleep 0.05; done
xdotool mouseup 1
sleep 0.3
xdotool key grave
sleep 0.3
xdotool type --delay 30 "lightPos"
xdotool key Return
waitfor "lightPos :=" 5 2
after=$(grep -F "lightPos :=" "$out/stdout" | tail -1)
check "a drag moves the light" test -n "$after" -a "$before" != "$after"
xdotool key grave
sleep 0.3
shot dragged

# Closing the window ends the program with status 0.
"$wmclose" "$win"
status=124
for _ in $(seq 1 100); do
  if ! kill -0 "$pid" 2>/dev/null; then wait "$pid"; status=$?; break; fi
  sleep 0.1
done
[[ $status == 124 ]] && kill "$pid" 2>/dev/null
check "closing the window ends the program with status 0" test "$status" = 0

# A shader file edited while the bench runs is rebuilt and drawn by itself.
solid() { printf 'void main()\n{\n    gl_FragColor = vec4(%s, 1.0);\n}\n' "$1" >"$out/live.frag"; }
solid "1.0, 0.0, 0.0"
start 2 --exec "shader frag $out/live.frag"
middle() { gt "$(mean "$out/$1.png" 40x40+380+280 "$2")" "$3"; }  # name, channel, threshold
check "the live shader paints the sphere red" until_shot live-red middle live-red r 0.8
solid "0.0, 1.0, 0.0"
touch -d '+5 seconds' "$out/live.frag"
check "the edited shader is drawn without a restart" until_shot live-green middle live-green g 0.8
"$wmclose" "$win"
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill "$pid" 2>/dev/null

# SIGTERM in the middle of a long measurement ends the program soon and
# cleanly: status 3 (the measurement was cut short), and neither the table
# nor a temporary file is left.
start 3 --exec "fidelity sweep $out/stopped.csv"
for _ in $(seq 1 600); do grep -qF "fidelity 2/" "$out/stdout3" && break; sleep 0.1; done
t0=$(date +%s)
kill -TERM "$pid"
status=124
for _ in $(seq 1 100); do
  if ! kill -0 "$pid" 2>/dev/null; then wait "$pid"; status=$?; break; fi
  sleep 0.1
done
[[ $status == 124 ]] && kill -9 "$pid" 2>/dev/null
check "SIGTERM ends a running sweep within 10 s, with status 3" test "$status" = 3
check "SIGTERM leaves no table and no temporary file" test -z "$(ls -A "$out" | grep -i stopped)"
echo "SIGTERM took $(( $(date +%s) - t0 )) s"

echo "$passed passed, $failed failed"
if [[ $failed -ne 0 ]]; then
  echo "--- program output"; tail -40 "$out/stdout"; echo "--- errors"; tail -20 "$out/stderr"
  exit 1
fi
