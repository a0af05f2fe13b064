# The image library's embedded cursors (made by tools/imaging_cursors).
#
#   name         type                 file             content
#   QM_HANDCUR   RT_GROUP_CURSOR 12   qm_handcur.cur   32 x 32 monochrome, a hand pointing left, hot spot (6, 16)
#   QM_DRAGCUR   RT_GROUP_CURSOR 12   qm_dragcur.cur   32 x 32 monochrome, a closed hand, hot spot (15, 16)

set(QM_IMAGING_RESOURCE_DIR ${CMAKE_CURRENT_LIST_DIR})

function(qm_embed_imaging_resources target)
  qm_embed_resource(${target} NAME QM_HANDCUR TYPE 12 FILE ${QM_IMAGING_RESOURCE_DIR}/qm_handcur.cur)
  qm_embed_resource(${target} NAME QM_DRAGCUR TYPE 12 FILE ${QM_IMAGING_RESOURCE_DIR}/qm_dragcur.cur)
endfunction()
