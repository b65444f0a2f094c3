#!/usr/bin/env bash
# The window playing a generated video of the sample layout, with boardsim as
# the relay board on a pseudo-terminal (option.ini [SERIAL] COM1 = its path,
# [USB] COM_NO = 1), calibrated beforehand by `vardo-run calibrate` on the same
# video. Runs under Xvfb when there is no display.
#   demo-video.sh <build folder>
set -euo pipefail
build=$1
work=$(mktemp -d)
cleanup() { [ -n "${sim:-}" ] && kill "$sim" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
cp -r "$build/bin/." "$work/"
bash scripts/make-demo-video.sh "$work" "$work/demo.avi" 320 240 600
# boardsim prints its pseudo-terminal first, then every command it answers.
"$work/boardsim" > "$work/boardsim.log" 2>&1 &
sim=$!
for _ in $(seq 50); do [ -s "$work/boardsim.log" ] && break; sleep 0.1; done
relay=$(head -n 1 "$work/boardsim.log")
cat > "$work/option.ini" <<INI
[AGREEMENT]
AGREEMENT=1
[LAYOUT]
TRAIN_TYPE=1
[EVENT]
FILE_NAME=1_lap_platform.vpr
[SERIAL]
COM1=$relay
[USB]
COM_NO=1
INI
# Calibrate on the video first, headlessly, so that automatic operation can
# start at once in the window (運転 > 自動運転の開始/停止).
echo "calibrating on the video (about half a minute)..."
VARDO_HOME="$work" "$work/vardo-run" calibrate -i "$work/demo.avi" --out "$work/demo.clb" --seconds 90
printf '[CALIBRATION]\nFILE_PATH=%s\n' "$work/demo.clb" >> "$work/option.ini"
run=("$work/vardo" "-i$work/demo.avi")
if [ -z "${DISPLAY:-}" ]; then run=(xvfb-run -a -s "-screen 0 1024x768x24" "${run[@]}"); fi
echo "relay board traffic: $work/boardsim.log"
if [ -n "${DEMO_SECONDS:-}" ]; then timeout "$DEMO_SECONDS" "${run[@]}" || true; else "${run[@]}" || true; fi
cat "$work/boardsim.log"
