# bench_store: a plate through CaricaImmagine (store, temporary file, image control) against
# the bare decode of the same PNG from memory.
add_executable(bench_store ${CMAKE_CURRENT_LIST_DIR}/bench_store.cpp)
target_link_libraries(bench_store PRIVATE hnemar_viewer hnemar_testsupport)
