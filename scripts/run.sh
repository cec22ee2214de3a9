#!/usr/bin/env bash
# Installs what is missing, builds Dayloom and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found; starting Dayloom on a virtual display (xvfb-run)." >&2
  exec xvfb-run -a -s "-screen 0 1600x1000x24" build/src/app/dayloom "$@"
fi
exec build/src/app/dayloom "$@"
