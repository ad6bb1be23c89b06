# hnemar-rtf: lets atlas authors check their RTF texts (plain text, our rewrite, a format dump).
add_executable(hnemar-rtf ${CMAKE_CURRENT_LIST_DIR}/rtf/main.cpp)
target_link_libraries(hnemar-rtf PRIVATE hnemar_components)
