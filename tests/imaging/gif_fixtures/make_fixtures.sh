#!/usr/bin/env bash
# Writes the GIF files of the interoperability tests with ImageMagick's GIF writer, from fixed
# seeds, so that the same files come out on every run. The files are committed; running this
# again is only needed to change them.
set -euo pipefail
cd "$(dirname "$0")"
im=(convert -seed 7)

"${im[@]}" -size 40x30 plasma:fractal +dither -colors 200 im_still_200.gif
"${im[@]}" -size 33x21 plasma:fractal +dither -colors 64 -interlace GIF im_interlaced_64.gif
"${im[@]}" -size 17x13 plasma:fractal -monochrome im_two_colours.gif
"${im[@]}" -size 20x20 xc:none -fill red -draw 'circle 10,10 10,4' -fill blue -draw 'rectangle 0,0 5,5' \
  im_transparent.gif
"${im[@]}" -size 1x1 xc:'#123456' im_1x1.gif
"${im[@]}" -size 1000x1 gradient:black-white +dither -colors 256 im_1000x1.gif
"${im[@]}" -size 1x300 gradient:red-blue +dither -colors 16 im_1x300.gif
# Large enough that the first data block of its codes cannot fill it.
"${im[@]}" -size 120x90 plasma:fractal +dither -colors 256 im_still_256.gif
# Frames of their own sizes, places and palettes (so local tables), each disposal method, a
# transparent frame, looping forever.
"${im[@]}" -loop 0 \
  -delay 10 -dispose None -size 48x32 plasma:fractal +dither -colors 32 \
  -delay 20 -dispose Background \( -size 20x10 plasma:fractal +dither -colors 8 -repage +5+7 \) \
  -delay 35 -dispose Previous \( -size 30x30 xc:none -fill lime -draw 'circle 15,15 15,3' -repage +10+1 \) \
  -delay 7 -dispose None \( -size 48x32 gradient:yellow-navy +dither -colors 4 \) \
  im_animated.gif
# Black content on a transparent background: ImageMagick's tables hold black again at the
# transparent entry (and pad with it), after the opaque black the content uses. Still,
# interlaced, and animated with a table of its own per frame.
"${im[@]}" -size 60x40 xc:none +antialias -fill black -draw 'rectangle 5,5 40,30' -fill red -draw 'circle 45,20 45,8' \
  -fill blue -draw 'rectangle 0,0 8,8' -fill gray50 -draw 'line 0,39 59,0' im_black_on_none.gif
"${im[@]}" -size 33x27 xc:none +antialias -fill black -draw 'ellipse 16,13 14,10 0,360' -fill white \
  -draw 'rectangle 10,10 20,16' -interlace GIF im_black_on_none_interlaced.gif
"${im[@]}" -loop 0 -dispose Background -delay 10 \
  \( -size 24x24 xc:none +antialias -fill black -draw 'circle 12,12 12,3' \) \
  \( -size 24x24 xc:none +antialias -fill black -draw 'rectangle 4,4 19,19' -fill yellow -draw 'point 12,12' \) \
  \( -size 24x24 xc:none +antialias -fill navy -draw 'polygon 12,2 22,22 2,22' -fill black -draw 'line 2,12 22,12' \) \
  im_black_on_none_animated.gif
