# hnemar-store packs, lists and extracts the atlas's archive stores.
add_executable(hnemar-store store/main.cpp)
target_link_libraries(hnemar-store PRIVATE hnemar_components)
