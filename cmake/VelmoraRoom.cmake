# One room of the core: a static library of the .cpp files in the calling folder, seen by its
# users as "<room>/<file>.h" from src/. Dependencies are named by the caller with
# target_link_libraries; the layering test checks that the includes agree with them.
function(velmora_room target)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/src)
endfunction()
