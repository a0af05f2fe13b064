# The waterfall program's embedded pictures and sound (made by tools/waterfall_art).
#
#   name          type          file             content
#   GROUND        RT_RCDATA 10  ground.jpg       JPEG 800 x 418, the landscape
#   WATERFALL     RT_RCDATA 10  waterfall.jpg    JPEG 202 x 3232, 32 frames of 101 rows
#   HIGHWATER     RT_RCDATA 10  highwater.jpg    JPEG 654 x 1216, 32 frames of 38 rows
#   LOWWATER      RT_RCDATA 10  lowwater.jpg     JPEG 800 x 5984, 32 frames of 187 rows
#   MASKSTONE     RT_RCDATA 10  maskstone.bmp    8-bit BMP 202 x 101, keyed by its top-left pixel
#   MASK1..MASK4  RT_RCDATA 10  mask1..4.bmp     8-bit BMPs 268 x 281, 193 x 281, 121 x 305, 88 x 113
#   EAGLES        RT_RCDATA 10  eagles.bmp       8-bit BMP 46 x 3312, 144 frames of 23 rows
#   BUTTERFLYS    RT_RCDATA 10  butterflys.bmp   8-bit BMP 40 x 480, 16 frames of 30 rows
#   ABOUT         RT_RCDATA 10  about.bmp        8-bit BMP 154 x 116, the setup dialog's picture
#   PREV_BITMAP   RT_BITMAP 2   preview.bmp      8-bit RLE8 154 x 116, without its file header
#   SOUNDNAME     WAVE          sound.wav        RIFF WAVE, MPEG Layer-3, 2 x 22050 Hz, 5000 bytes/s
#
# The masks and sheets keep palette index of their top-left pixel for the key colour alone.
# The sound's loop, decoded, begins after the format chunk's nCodecDelay samples (the coder's
# delay plus a lead-in taken from the loop's end) and is as long as the fact chunk says; the
# samples after it are the loop's start again, so a player that loops exactly that span plays
# it without a seam.

set(QM_WATERFALL_RESOURCE_DIR ${CMAKE_CURRENT_LIST_DIR})

function(qm_embed_waterfall_resources target)
  set(dir ${QM_WATERFALL_RESOURCE_DIR})
  qm_embed_resource_files(${target} DIR ${dir} TYPE 10 FILES
    GROUND:ground.jpg WATERFALL:waterfall.jpg HIGHWATER:highwater.jpg LOWWATER:lowwater.jpg
    MASKSTONE:maskstone.bmp MASK1:mask1.bmp MASK2:mask2.bmp MASK3:mask3.bmp MASK4:mask4.bmp
    EAGLES:eagles.bmp BUTTERFLYS:butterflys.bmp ABOUT:about.bmp)
  qm_embed_resource(${target} NAME PREV_BITMAP TYPE 2 FILE ${dir}/preview.bmp SKIP 14)
  qm_embed_resource(${target} NAME SOUNDNAME TYPE WAVE FILE ${dir}/sound.wav)
endfunction()
