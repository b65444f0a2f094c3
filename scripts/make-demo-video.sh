#!/usr/bin/env bash
# Encodes a video of the sample layout with a train running laps, as a
# camera above it would see it: make-demo-video.sh <program folder> <out.avi>
# [width height frames]. Motion JPEG in AVI, 30 frames a second.
set -euo pipefail
folder=$1 out=$2 w=${3:-320} h=${4:-240} n=${5:-600}
"$folder/vardo-demo-frames" "$folder" "$w" "$h" "$n" |
  gst-launch-1.0 -q fdsrc ! rawvideoparse width="$w" height="$h" format=bgr framerate=30/1 \
    ! videoconvert ! jpegenc ! avimux ! filesink location="$out"
