# The plate viewer library: picture loading and the hidden utility form for now.
add_library(hnemar_viewer STATIC
    ${CMAKE_CURRENT_LIST_DIR}/CaricaImmagine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CaricaImmagine.h
    ${CMAKE_CURRENT_LIST_DIR}/Fseek.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Fseek.h
)
target_include_directories(hnemar_viewer PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(hnemar_viewer PUBLIC hnemar_startup)
