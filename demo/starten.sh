#!/usr/bin/env bash
# Starts Trabolin with a simulated ECoS, for a first run without a layout.
# Usage: demo/starten.sh [BUILD-ORDNER]   (default: build)
# The demo folder BUILD-ORDNER/demo holds a copy of the program with its sounds and
# help and a "Trabolin.ini" set to the ECoS simulator on 127.0.0.1:15471 with a demo
# table. Settings changed in the demo stay there; delete the folder to start afresh.
set -euo pipefail
quelle="$(cd "$(dirname "$0")" && pwd)"
bau="$(cd "${1:-$quelle/../build}" && pwd)"
[ $# -gt 0 ] && shift
demo="$bau/demo"
mkdir -p "$demo"
cp -f "$bau/trabolin" "$demo/trabolin"
for datei in Signal.wav ring.wav Trabolin.chm; do
    [ -e "$bau/$datei" ] && cp -f "$bau/$datei" "$demo/$datei"
done
[ -e "$demo/Trabolin.ini" ] || cp "$quelle/Trabolin.ini" "$demo/Trabolin.ini"

"$bau/trabolin-ecos-sim" --port 15471 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true' EXIT
"$demo/trabolin" "$@"
