#!/usr/bin/env bash
# Writes the icon reader's seeds that another program made, with ImageMagick's icon writer: a
# compressed 256-pixel image ahead of a 32-bit one with alpha, a 1-bit image whose table is
# white then black, and a 16-colour and a 2-colour image with AND masks, that one once more with
# directory counts that leave the AND rows out. The files are committed; running this again is
# only needed to change them.
set -euo pipefail
cd "$(dirname "$0")/seeds/icon"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -size 64x64 xc:none -fill red -draw 'circle 32,32 32,8' -depth 8 \
  -define icon:auto-resize=256,32 im-compressed-first.ico
convert -size 32x32 xc:white +antialias -fill black -draw 'rectangle 2,2 9,25' "PNG8:$work/white-black.png"
convert "$work/white-black.png" im-white-black.ico
convert -size 16x16 xc:none +antialias -fill lime -draw 'circle 8,8 8,2' +dither -colors 2 "$work/small.gif"
convert -size 32x32 xc:none +antialias -fill red -draw 'circle 16,16 16,4' -fill blue -draw 'rectangle 0,0 6,6' \
  +dither -colors 3 "$work/large.gif"
convert "$work/small.gif" "$work/large.gif" im-masked.ico

# The same file with each entry's byte count (at 14 and 30) less its AND rows (16 and 32 rows
# of 4 bytes).
dword() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
put_dword() {
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($2 & 255)) $(($2 >> 8 & 255)) $(($2 >> 16 & 255)) $(($2 >> 24)))" |
    dd of="$1" bs=1 seek="$3" conv=notrunc status=none
}
cp im-masked.ico im-short-counts.ico
put_dword im-short-counts.ico $(($(dword im-masked.ico 14) - 16 * 4)) 14
put_dword im-short-counts.ico $(($(dword im-masked.ico 30) - 32 * 4)) 30
