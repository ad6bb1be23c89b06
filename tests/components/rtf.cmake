# Rich text: reader, writer, the controls and the print entry points.
set(RTF_CORPUS_DIR ${CMAKE_CURRENT_LIST_DIR}/rtf-corpus)
hnemar_add_test(test_rtf_reader ${CMAKE_CURRENT_LIST_DIR}/test_rtf_reader.cpp LIBS hnemar_components)
target_compile_definitions(test_rtf_reader PRIVATE RTF_CORPUS="${RTF_CORPUS_DIR}"
    HNEMAR_RTF="$<TARGET_FILE:hnemar-rtf>")
add_dependencies(test_rtf_reader hnemar-rtf)
hnemar_add_test(test_rtf_writer ${CMAKE_CURRENT_LIST_DIR}/test_rtf_writer.cpp LIBS hnemar_components)
hnemar_add_test(test_rich_text_controls ${CMAKE_CURRENT_LIST_DIR}/test_rich_text_controls.cpp
    LIBS hnemar_components)
target_compile_definitions(test_rich_text_controls PRIVATE RTF_CORPUS="${RTF_CORPUS_DIR}")
# Reads its PDFs back with pdftotext (poppler-utils).
hnemar_add_test(test_atx_print ${CMAKE_CURRENT_LIST_DIR}/test_atx_print.cpp LIBS hnemar_components)
