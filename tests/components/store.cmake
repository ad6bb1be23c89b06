# Archive stores, the blob reader control, the store packer and the image display control.
hnemar_add_test(test_blobstore ${CMAKE_CURRENT_LIST_DIR}/test_blobstore.cpp)
hnemar_add_test(test_fximage ${CMAKE_CURRENT_LIST_DIR}/test_fximage.cpp)
hnemar_add_test(test_hnemar_store ${CMAKE_CURRENT_LIST_DIR}/test_hnemar_store.cpp)
target_compile_definitions(test_hnemar_store PRIVATE HNEMAR_STORE_TOOL="$<TARGET_FILE:hnemar-store>")
add_dependencies(test_hnemar_store hnemar-store)
