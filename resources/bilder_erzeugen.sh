#!/bin/sh
# Draws the window icon, the logo and the two connector pictures with ImageMagick.
# The results are kept in the repository; run this only to change the pictures.
set -e
cd "$(dirname "$0")"

# Logo, 51 x 33 pixels: a small steam locomotive on a rail.
convert -size 51x33 xc:'#f4efe0' -fill '#1b3f7a' -draw 'rectangle 0,0 50,2' \
 -fill '#8c1c13' -draw 'rectangle 6,12 30,23' -draw 'rectangle 28,6 42,23' \
 -fill '#222222' -draw 'rectangle 10,6 14,12' -draw 'rectangle 26,4 44,6' \
 -fill '#cfe3f5' -draw 'rectangle 31,9 39,14' \
 -fill '#222222' -draw 'circle 12,26 12,22' -draw 'circle 23,26 23,22' -draw 'circle 36,26 36,22' \
 -fill '#f2c230' -draw 'circle 12,26 12,25' -draw 'circle 23,26 23,25' -draw 'circle 36,26 36,25' \
 -fill '#555555' -draw 'rectangle 0,30 50,31' -fill '#c8102e' -draw 'rectangle 43,18 47,21' \
 logo.gif

# Window icon, 64 x 64 pixels.
convert -size 64x64 xc:none -fill '#1b3f7a' -draw 'roundrectangle 0,0 63,63 10,10' \
 -fill '#8c1c13' -draw 'rectangle 8,26 38,44' -draw 'rectangle 34,14 54,44' \
 -fill '#222222' -draw 'rectangle 13,14 19,26' -draw 'rectangle 31,11 57,14' \
 -fill '#cfe3f5' -draw 'rectangle 38,18 50,26' \
 -fill '#222222' -draw 'circle 16,48 16,42' -draw 'circle 31,48 31,42' -draw 'circle 46,48 46,42' \
 -fill '#f2c230' -draw 'circle 16,48 16,46' -draw 'circle 31,48 31,46' -draw 'circle 46,48 46,46' \
 -fill '#dddddd' -draw 'rectangle 4,55 59,57' \
 trabolin.png

# A 9-pin serial connector.
convert -size 44x26 xc:none -fill '#9a9a9a' -stroke '#404040' -draw 'polygon 1,2 42,2 37,23 6,23' \
 -fill '#303030' -stroke none -draw 'circle 9,9 9,7.5' -draw 'circle 15.5,9 15.5,7.5' \
 -draw 'circle 22,9 22,7.5' -draw 'circle 28.5,9 28.5,7.5' -draw 'circle 35,9 35,7.5' \
 -draw 'circle 12,16 12,14.5' -draw 'circle 18.5,16 18.5,14.5' -draw 'circle 25,16 25,14.5' \
 -draw 'circle 31.5,16 31.5,14.5' \
 v24.png

# The USB symbol beside a USB socket.
convert -size 56x26 xc:none -stroke '#1b3f7a' -strokewidth 2 -fill none \
 -draw 'line 3,13 22,13' -draw 'line 8,13 12,6' -draw 'line 12,6 18,6' \
 -draw 'line 10,13 14,20' -draw 'line 14,20 19,20' \
 -fill '#1b3f7a' -stroke none -draw 'polygon 22,10 27,13 22,16' -draw 'circle 3,13 3,10.5' \
 -draw 'circle 19,6 19,4' -draw 'rectangle 18,18 21,22' \
 -fill '#b0b0b0' -stroke '#404040' -strokewidth 1 -draw 'rectangle 32,4 54,21' \
 -fill '#303030' -stroke none -draw 'rectangle 35,8 51,12' \
 usb.png
