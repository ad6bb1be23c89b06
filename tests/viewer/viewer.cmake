# Picture loading from the image stores.
hnemar_add_test(test_caricaimmagine ${CMAKE_CURRENT_LIST_DIR}/test_caricaimmagine.cpp LIBS hnemar_viewer)
