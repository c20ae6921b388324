#!/usr/bin/env bash
# Starts Trabolin with a simulated command station, for a first run without a layout.
# Usage: demo/starten.sh [BUILD-ORDNER [ecos|z21]] [TRABOLIN-OPTIONEN]   (default: build ecos)
# The demo folder (BUILD-ORDNER/demo for the ECoS, BUILD-ORDNER/demo-z21 for the Z21)
# holds a copy of the program with its sounds and help and a "Trabolin.ini" set to
# the simulator on 127.0.0.1 (ECoS 15471, ID 1000; Z21 21105, address 3) with a demo
# table. Settings changed in the demo stay there; delete the folder to start afresh.
set -euo pipefail
quelle="$(cd "$(dirname "$0")" && pwd)"
bau="$(cd "${1:-$quelle/../build}" && pwd)"
[ $# -gt 0 ] && shift
station=ecos
if [ $# -gt 0 ] && { [ "$1" = ecos ] || [ "$1" = z21 ]; }; then
    station="$1"
    shift
fi
demo="$bau/demo"
[ "$station" = z21 ] && demo="$bau/demo-z21"
mkdir -p "$demo"
cp -f "$bau/trabolin" "$demo/trabolin"
for datei in Signal.wav ring.wav Trabolin.chm; do
    [ -e "$bau/$datei" ] && cp -f "$bau/$datei" "$demo/$datei"
done
if [ ! -e "$demo/Trabolin.ini" ]; then
    if [ "$station" = z21 ]; then
        # The ECoS demo with address 3 and station "Z21", its host and port after line 56.
        sed -e '29s/^1000/3/' -e '47s/^Ecos/Z21/' "$quelle/Trabolin.ini" > "$demo/Trabolin.ini"
        printf '\r\n[Z21 LocalPort]\r\n21105\r\n\r\n[Z21 IP-Adresse]\r\n127.0.0.1\r\n' >> "$demo/Trabolin.ini"
    else
        cp "$quelle/Trabolin.ini" "$demo/Trabolin.ini"
    fi
fi

if [ "$station" = z21 ]; then
    "$bau/trabolin-z21-sim" --port 21105 &
else
    "$bau/trabolin-ecos-sim" --port 15471 &
fi
sim=$!
trap 'kill "$sim" 2>/dev/null || true' EXIT
"$demo/trabolin" "$@"
