# bench_rtf: a 200 KB description read from RTF and laid out, against QTextDocument::setHtml of
# the same content.
add_executable(bench_rtf ${CMAKE_CURRENT_LIST_DIR}/bench_rtf.cpp)
target_link_libraries(bench_rtf PRIVATE hnemar_components)
