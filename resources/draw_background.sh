#!/usr/bin/env bash
# Draws background_t.png, the window's background (500 x 612: its size is the
# window's content size). The controls are placed over it in absolute pixels,
# so the panels below follow their layout: every label stands on a light area
# (its text is black) and every box without a label of its own gets a caption.
# Needs ImageMagick's convert; run it from anywhere, it writes beside itself.
set -euo pipefail
out="$(cd "$(dirname "$0")" && pwd)/background_t.png"

page=#ececec      # the window's own background, so the edges blend in
band=#c9d3dc      # header band behind the buttons and the port box
panel=#dfe3e7     # the three sections
line=#9aa5b1      # section outlines
ink=#2b2f33       # captions
accent=#3d5a80    # title and section names

font=DejaVu-Sans
bold=DejaVu-Sans-Bold

args=(-size 500x612 "xc:$page")

caption() { # x baseline text [point size]
  args+=(-font "$font" -pointsize "${4:-10}" -fill "$ink" -annotate "+$1+$2" "$3")
}

# Header band: OPEN, SAVE, SEND and the MIDI output box sit on it.
args+=(-fill "$band" -stroke "$line" -draw "roundrectangle 6,6 493,83 6,6")
args+=(-stroke none)

# Sections: program values, the sixteen steps, the global values.
for box in "12,90 487,202" "12,206 487,515" "12,519 487,575"; do
  args+=(-fill "$panel" -stroke "$line" -draw "roundrectangle $box 5,5")
done
args+=(-stroke none)

# Title beside SEND.
args+=(-font "$bold" -pointsize 15 -fill "$accent" -annotate +356+68 "Dravik MIDI T")

caption 352 32 'MIDI Output Device' 11
caption 24 105 'Program' 10
caption 140 127 'Program Type' 10
caption 277 127 'Step Count' 10
caption 283 531 'Loop / Step Portamento Rate' 10
# Which of the two rate boxes is which, in the gap to their left.
caption 269 546 'L' 10
caption 269 566 'S' 10

# Section names in the free corners.
args+=(-font "$bold" -pointsize 9 -fill "$accent")
args+=(-annotate +420+105 "PROGRAM" -annotate +24+531 "GLOBAL")

# Footer strip: light, under the three footer labels.
args+=(-fill "$panel" -stroke "$line" -draw "roundrectangle 4,579 495,605 4,4")

# Opaque, so written without alpha: JUCE then keeps it as 3-byte RGB pixels (a
# quarter less memory than ARGB) and skips premultiplying every pixel on loading.
convert "${args[@]}" -strip -depth 8 "PNG24:$out"
echo "wrote $out"
