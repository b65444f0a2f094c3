#!/usr/bin/env bash
# Starts the window on the build's program folder. On the very first run the
# sample is prepared: the graphic train figure (no photographs ship) and the
# first sample program. The disclaimer still asks, as it must.
set -euo pipefail
bin=$1/bin
if [ ! -e "$bin/option.ini" ]; then
  printf '[LAYOUT]\nTRAIN_TYPE=1\n[EVENT]\nFILE_NAME=1_lap_platform.vpr\n' > "$bin/option.ini"
fi
exec "$bin/vardo"
