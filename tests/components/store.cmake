# Archive stores, the blob reader control, the store packer and the image display control.
hnemar_add_test(test_blobstore ${CMAKE_CURRENT_LIST_DIR}/test_blobstore.cpp)
