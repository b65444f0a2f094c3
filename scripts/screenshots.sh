#!/usr/bin/env bash
# PNGs of the main window under Xvfb, into docs/screenshots/: the live
# display of a generated video, the difference display, the layout display
# in simulation with the train figure, the angle-correction overlay, the
# window with each skin's controller panel, the two settings dialogs, and
# Planwerk in the outer-loop, mask, crossing and train-picture modes.
#   screenshots.sh <build folder>
set -euo pipefail
# Screenshot machines have no sound card: the dummy driver keeps the audio
# error box out of the pictures.
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
build=$1
out=docs/screenshots
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$build/bin/." "$work/"
cat > "$work/option.ini" <<INI
[AGREEMENT]
AGREEMENT=1
[LAYOUT]
SURPRESS_MESSAGE=1
TRAIN_TYPE=1
TRAIN_COUNT=2
[CAPTURE]
SURPRESS_MESSAGE=1
[USB]
SURPRESS_MESSAGE=1
[EVENT]
FILE_NAME=1_lap_platform.vpr
INI
bash scripts/make-demo-video.sh "$work" "$work/demo.avi" 320 240 300
# A calibration that fits the generated video: the loop's box in the frame.
python3 - "$work/demo.clb" <<'PY'
import struct, sys
open(sys.argv[1], "wb").write(struct.pack("<4si2if4i2i20x", b".clb", 1, 320, 240, 0.0,
                                          35, 35, 285, 205, 160, 240))
PY

shot() { # name, extra option lines, arguments, commands
  local name=$1 extra=$2 args=$3 commands=$4
  cp "$work/option.ini" "$work/option.base"
  printf '%b' "$extra" >> "$work/option.ini"
  VARDO_HOME="$work" VARDO_SCREENSHOT="$out/$name.png" VARDO_SCREENSHOT_MS=5000 \
    VARDO_SCREENSHOT_COMMANDS="$commands" \
    xvfb-run -a -s "-screen 0 1024x768x24" "$work/vardo" $args >/dev/null 2>&1 || true
  mv "$work/option.base" "$work/option.ini"
  [ -s "$out/$name.png" ] && echo "wrote $out/$name.png"
}

shot live "" "-i$work/demo.avi" "32786"
shot difference "" "-i$work/demo.avi" "32774,32786"
shot simulation "[CAPTURE]\nDEVICE=0\n" "" ""
shot angle-correction "[CALIBRATION]\nFILE_PATH=$work/demo.clb\n" "-i$work/demo.avi" "32816"

# The window in simulation with each skin's panel at the lower right of the view.
for n in 1 2 3 4; do
  shot "window-skin$n" "[CAPTURE]\nDEVICE=0\n[CONTROL]\nSKIN=$n\n" "" ""
done
# The parameter and option-output dialogs, opened by their menu commands.
shot parameter-dialog "[CAPTURE]\nDEVICE=0\n" "" "32909"
shot option-output-dialog "[CAPTURE]\nDEVICE=0\n" "" "32916"

# Each skin's panel as the panel draws it (the sample layout's points decide
# the width of skins 1 and 4).
for n in 1 2 3 4; do
  VARDO_HOME="$work" QT_QPA_PLATFORM=offscreen "$work/vardo-run" check-skin "$n" \
    --png "$out/panel-skin$n.png" >/dev/null 2>&1 && echo "wrote $out/panel-skin$n.png"
done
# Planwerk on the sample photograph with its traced rails, in a few modes,
# and the train-picture mode on a generated photograph of a railcar.
python3 - "$work/train-photo.bmp" <<'PY'
import struct, sys
w, h = 640, 480
def colour(x, y):
    if 345 <= y < 357: return (90, 90, 90)                      # rail
    if 170 <= x < 470 and 235 <= y < 345:                       # body
        if 250 <= y < 280 and (x - 185) % 50 < 30: return (230, 220, 160)  # windows
        return (40, 120, 200) if y < 300 else (230, 230, 230)
    if 190 <= x < 450 and 223 <= y < 235: return (70, 70, 70)   # roof
    return (200, 225, 205)                                      # wall
rows = bytearray()
for y in range(h - 1, -1, -1):
    for x in range(w):
        r, g, b = colour(x, y)
        rows += bytes((b, g, r))
header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
open(sys.argv[1], "wb").write(header + info + rows)
PY
planwerk_shot() { # name, mode, [train photograph]
  env VARDO_HOME="$work" PLANWERK_SCREENSHOT="$out/$1.png" PLANWERK_SCREENSHOT_MODE="$2" \
    ${3:+PLANWERK_SCREENSHOT_TRAIN="$3"} \
    xvfb-run -a -s "-screen 0 1024x768x24" "$work/Planwerk" >/dev/null 2>&1 || true
  [ -s "$out/$1.png" ] && echo "wrote $out/$1.png"
}
planwerk_shot planwerk-outer-loop outer
planwerk_shot planwerk-mask mask
planwerk_shot planwerk-crossing crossing
planwerk_shot planwerk-train-picture train "$work/train-photo.bmp"
