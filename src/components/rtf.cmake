# Rich text: code pages, the RTF reader and writer, the rich-text controls and the print entry
# points.
target_sources(hnemar_components PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CodePages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RtfReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RtfWriter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RtfDump.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RichTextBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/KorAtx.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AtxPrint.cpp
)
