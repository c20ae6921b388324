#!/usr/bin/env bash
# Starts Trabolin with a simulated command station, for a first run without a layout.
# Usage: demo/starten.sh [BUILD-ORDNER [ecos|dccex|z21|cs2|lenz|6021 [pendel|zwei]]] [TRABOLIN-OPTIONEN]
#   (default: build, the ECoS)
# The demo folder BUILD-ORDNER/demo holds a copy of the program with its sounds and
# help and a "Trabolin.ini" set to the ECoS simulator on 127.0.0.1:15471 with a demo
# table. With "dccex" the folder is BUILD-ORDNER/demo-dccex, the station a simulated
# DCC-EX on port 3 (a link "COM3" there to the simulator's pseudo-terminal), address 3.
# With "z21" the folder is BUILD-ORDNER/demo-z21, the station the Z21 simulator on
# 127.0.0.1:21105 (kept after line 56), address 3, 128 speed steps. DCC-EX always
# drives in 128 steps. With "cs2" the folder is BUILD-ORDNER/demo-cs2, the station the
# Central Station simulator on 127.0.0.1:15731 over TCP (kept after line 56), protocol
# DCC, address 3, 128 speed steps, its DCC decoders set to 126 steps to match.
# With "lenz" and "6021" the folder is BUILD-ORDNER/demo-lenz or demo-6021, the station
# a simulated LZ100 or 6021 with 6051 interface on port 3 (a link "COM3"), address 3.
# "pendel" after the station gives the folder the suffix "-pendel" and the table a
# shuttle between the simulated track's two contacts: drive forwards until contact 2
# reports, stand 10 s, drive back until contact 1 reports, stand 10 s (the 6021 changes
# its direction with an "F" line instead). Tick "Endlosschleife" and press "starten":
# the train shuttles, each line ending when the simulated train reaches its contact.
# "zwei" (suffix "-zwei") adds a second driving program after line 56 with the next
# address (4; the ECoS: ID 1001), "Endlosschleife" ticked, and gives both the shuttle:
# the first between contacts 2 and 1 of track 1, the second between contacts 4 and 3 of
# track 2, after a stand of 1 s so that the first program's locomotive runs first and
# takes track 1. Tick "Endlosschleife" on the tab "Lok 3" (the first program's is not
# kept in the file) and press "Alle starten" (Ctrl+Shift+S). On the ECoS take control
# of both IDs first, each with its tab current; DCC-EX boots with the track off (Power
# on).
# Settings changed in the demo stay there; delete the folder to start afresh.
# The simulator reads its layout commands ("aus", "kurzschluss", ...; the Central
# Station's: "stopp", "go", "halt", "ueberlast", "wenden DCC 3", "stumm", "trennen") from this
# terminal; SIMULATOR_OPTIONEN adds options, e.g. SIMULATOR_OPTIONEN="--aus-nach 30".
set -euo pipefail
quelle="$(cd "$(dirname "$0")" && pwd)"
bau="$(cd "${1:-$quelle/../build}" && pwd)"
[ $# -gt 0 ] && shift
station=ecos
case "${1:-}" in
    ecos | dccex | z21 | cs2 | lenz | 6021)
        station="$1"
        shift
        ;;
esac
variante=
case "${1:-}" in
    pendel | zwei)
        variante="-$1"
        shift
        ;;
esac
demo="$bau/demo"
[ "$station" = ecos ] || demo="$bau/demo-$station"
demo="$demo$variante"
mkdir -p "$demo"
cp -f "$bau/trabolin" "$demo/trabolin"
for datei in Signal.wav ring.wav Trabolin.chm Trabolin_en.chm; do
    [ -e "$bau/$datei" ] && cp -f "$bau/$datei" "$demo/$datei"
done
if [ ! -e "$demo/Trabolin.ini" ]; then
    if [ "$station" = dccex ]; then
        # Address 3, port 3 at 115200 baud, station code "DCC-EX" (lines 29, 32, 35, 47).
        awk 'BEGIN { w[29] = "3"; w[32] = "3"; w[35] = "115200"; w[47] = "DCC-EX" }
             { if (FNR in w) printf "%s\r\n", w[FNR]; else print }' \
            "$quelle/Trabolin.ini" > "$demo/Trabolin.ini"
    elif [ "$station" = z21 ]; then
        # Address 3, station code "Z21" (lines 29, 47), its host and port after line 56.
        awk 'BEGIN { w[29] = "3"; w[47] = "Z21" }
             { if (FNR in w) printf "%s\r\n", w[FNR]; else print }' \
            "$quelle/Trabolin.ini" > "$demo/Trabolin.ini"
        # 128 steps, so that the demo table's Fahrstufen 30 and 80 drive as its chart shows them.
        printf '\r\n[Z21 LocalPort]\r\n21105\r\n\r\n[Z21 IP-Adresse]\r\n127.0.0.1\r\n\r\n[Z21 Fahrstufen]\r\n128\r\n' \
            >> "$demo/Trabolin.ini"
    elif [ "$station" = cs2 ]; then
        # Address 3, station code "CS2" (lines 29, 47), host, port, steps and protocol
        # after line 56; "über UDP" keeps its default (TCP).
        awk 'BEGIN { w[29] = "3"; w[47] = "CS2" }
             { if (FNR in w) printf "%s\r\n", w[FNR]; else print }' \
            "$quelle/Trabolin.ini" > "$demo/Trabolin.ini"
        printf '\r\n[CS2 LocalPort]\r\n15731\r\n\r\n[CS2 IP-Adresse]\r\n127.0.0.1\r\n\r\n[CS2 Fahrstufen]\r\n128\r\n\r\n[CS2 Protokoll]\r\nDCC\r\n' \
            >> "$demo/Trabolin.ini"
    elif [ "$station" = lenz ] || [ "$station" = 6021 ]; then
        # Address 3, port 3, station code "Lenz" or "DCC" (the 6021's) (lines 29, 32, 47).
        code=Lenz
        [ "$station" = lenz ] || code=DCC
        awk -v code="$code" 'BEGIN { w[29] = "3"; w[32] = "3"; w[47] = code }
             { if (FNR in w) printf "%s\r\n", w[FNR]; else print }' \
            "$quelle/Trabolin.ini" > "$demo/Trabolin.ini"
    else
        cp "$quelle/Trabolin.ini" "$demo/Trabolin.ini"
    fi
    if [ -n "$variante" ]; then
        # Lines 2 to 7 of the table: the shuttle, the rest empty. Speed step 64 of 128
        # (10 on the Lenz, whose steps the port check chooses; 8 of the 6021's 14).
        # pendel() gives the lines for the contacts there ($1) and back ($2).
        pendel() {
            case "$station" in
                6021) echo "0${1}K008X---- 10S000X---- 02F000X---- 0${2}K008X---- 10S000X---- 02F000X----" ;;
                lenz) echo "0${1}K010X---- 10S000X---- 0${2}k010X---- 10s000X---- ---000----- ---000-----" ;;
                *) echo "0${1}K064X---- 10S000X---- 0${2}k064X---- 10s000X---- ---000----- ---000-----" ;;
            esac
        }
        awk -v zeilen="$(pendel 2 1)" 'BEGIN { n = split(zeilen, z, " ") }
             { if (FNR >= 2 && FNR <= 1 + n) printf "%s\r\n", z[FNR - 1]; else print }' \
            "$demo/Trabolin.ini" > "$demo/Trabolin.ini.neu"
        mv "$demo/Trabolin.ini.neu" "$demo/Trabolin.ini"
        if [ "$variante" = -zwei ]; then
            # The second program after line 56 as labelled pairs: its address (the
            # first's is 3, on the ECoS ID 1000), "Endlosschleife" ticked, no program
            # file, its 25 lines: a stand of 1 s, so that the first program's
            # locomotive runs first and takes track 1 whatever order the two programs'
            # first commands go out in, then the shuttle on track 2, the rest empty.
            zweite=4
            [ "$station" = ecos ] && zweite=1001
            {
                printf '\r\n[Fahrprogramm 2]\r\n%s\r\n' "$zweite"
                printf '\r\n[Fahrprogramm 2 Endlosschleife]\r\n1\r\n'
                printf '\r\n[Fahrprogramm 2 Datei]\r\n\r\n'
                z=1
                for zeile in 01S000X---- $(pendel 4 3); do
                    printf '\r\n[Fahrprogramm 2 Zeile %d]\r\n%s\r\n' "$z" "$zeile"
                    z=$((z + 1))
                done
                for ((; z <= 25; z++)); do
                    printf '\r\n[Fahrprogramm 2 Zeile %d]\r\n---000-----\r\n' "$z"
                done
            } >> "$demo/Trabolin.ini"
        fi
    fi
fi

# shellcheck disable=SC2086 # the options are meant to be split
case "$station" in
    dccex) "$bau/trabolin-serial-sim" --station dccex --link "$demo/COM3" ${SIMULATOR_OPTIONEN:-} <&0 & ;;
    lenz) "$bau/trabolin-serial-sim" --station lenz --link "$demo/COM3" ${SIMULATOR_OPTIONEN:-} <&0 & ;;
    6021) "$bau/trabolin-serial-sim" --station maerklin --link "$demo/COM3" ${SIMULATOR_OPTIONEN:-} <&0 & ;;
    z21) "$bau/trabolin-z21-sim" --port 21105 ${SIMULATOR_OPTIONEN:-} <&0 & ;;
    cs2) "$bau/trabolin-cs2-sim" --port 15731 --fahrstufen 126 ${SIMULATOR_OPTIONEN:-} <&0 & ;;
    *) "$bau/trabolin-ecos-sim" --port 15471 ${SIMULATOR_OPTIONEN:-} <&0 & ;;
esac
sim=$!
trap 'kill "$sim" 2>/dev/null || true' EXIT
# The program opens the port at start: the simulator's link must be there first.
for _ in $(seq 50); do
    case "$station" in dccex | lenz | 6021) [ -L "$demo/COM3" ] && break ;; *) break ;; esac
    sleep 0.1
done
"$demo/trabolin" "$@"
