#!/usr/bin/env bash
# Draws the program's own artwork with ImageMagick: the login background
# (a JPEG of 1024 x 900) and the window icon (32 x 32 with an alpha channel).
# The results are committed under resources/; run this again only to change them.
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/resources"

convert -size 1024x900 gradient:'#e8f3f1'-'#9cc9c2' \
    -fill '#ffffff80' -draw 'circle 820,160 820,20' \
    -fill '#2f7f73' -draw 'roundrectangle 300,220 700,590 24,24' \
    -fill '#f7fbfa' -draw 'roundrectangle 308,228 692,582 20,20' \
    -fill '#2f7f73' -draw 'rectangle 0,760 1024,768' \
    -fill '#c0392b' -draw 'rectangle 70,40 118,56' -draw 'rectangle 86,24 102,72' \
    -quality 90 "$out/login_background.jpg"

convert -size 32x32 xc:none \
    -fill '#ffffff' -stroke '#2f7f73' -strokewidth 2 -draw 'roundrectangle 2,2 29,29 6,6' \
    -stroke none -fill '#c0392b' -draw 'rectangle 13,7 18,24' -draw 'rectangle 7,13 24,18' \
    "PNG32:$out/icon.png"
