# rx_add_subfolders(): adds every direct subfolder of the current source folder
# that has a CMakeLists.txt, except the names given, so that a new tool, test
# suite or benchmark needs no edit of its parent.
function(rx_add_subfolders)
    file(GLOB entries LIST_DIRECTORIES true RELATIVE "${CMAKE_CURRENT_SOURCE_DIR}"
         "${CMAKE_CURRENT_SOURCE_DIR}/*")
    list(SORT entries)
    foreach(entry IN LISTS entries)
        if(NOT entry IN_LIST ARGN AND IS_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}/${entry}"
           AND EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${entry}/CMakeLists.txt")
            add_subdirectory(${entry})
        endif()
    endforeach()
endfunction()
