# The fountain program's embedded pictures and sound (made by tools/fountain_art).
#
#   name          type          file          content
#   GROUND        RT_RCDATA 10  ground.jpg    JPEG 800 x 600, the terrace, the fountain and the sea
#   WATER         RT_RCDATA 10  water.jpg     JPEG 396 x 3136, 32 frames of 98 rows
#   JET           RT_RCDATA 10  jet.jpg       JPEG 45 x 4800, 32 frames of 150 rows
#   JET2          RT_RCDATA 10  jet2.jpg      JPEG 44 x 2400, 32 frames of 75 rows
#   SHADOW        RT_RCDATA 10  shadow.jpg    JPEG 37 x 4672, 32 frames of 146 rows
#   ABOUT         RT_RCDATA 10  about.bmp     8-bit BMP 156 x 117, the setup dialog's picture
#   PREV_BITMAP   RT_BITMAP 2   preview.bmp   8-bit RLE8 154 x 116, without its file header
#   SOUNDNAME     WAVE          sound.wav     RIFF WAVE, PCM, 2 x 22050 Hz, 8 bits, 258048 bytes
#
# No sheet is keyed: each frame carries the background under its rectangle, and the sound's
# samples are one loop, its last sample running into its first.

set(QM_FOUNTAIN_RESOURCE_DIR ${CMAKE_CURRENT_LIST_DIR})

function(qm_embed_fountain_resources target)
  set(dir ${QM_FOUNTAIN_RESOURCE_DIR})
  qm_embed_resource_files(${target} DIR ${dir} TYPE 10 FILES
    GROUND:ground.jpg WATER:water.jpg JET:jet.jpg JET2:jet2.jpg SHADOW:shadow.jpg ABOUT:about.bmp)
  qm_embed_resource(${target} NAME PREV_BITMAP TYPE 2 FILE ${dir}/preview.bmp SKIP 14)
  qm_embed_resource(${target} NAME SOUNDNAME TYPE WAVE FILE ${dir}/sound.wav)
endfunction()
