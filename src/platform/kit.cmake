# The control kit: small controls the forms are built from.
target_sources(hnemar_platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Controllo.h
    ${CMAKE_CURRENT_LIST_DIR}/PictureBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PictureBox.h
)
