# Archive stores (ZIP, read with libzip), the blob reader control and the image display control.
target_sources(hnemar_components PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/BlobStore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BlobStore.h
    ${CMAKE_CURRENT_LIST_DIR}/QxBlob2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QxBlob2.h
    ${CMAKE_CURRENT_LIST_DIR}/FXImage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FXImage.h
)
