# The layers of the program: one static library per subsystem folder, each linking only the
# folders below it. The compiler keeps the layering: a layer's sources and headers see the
# source tree through a view that holds only its own folder and the folders it may use, so
# an include that runs up a layer finds no such file.
#
#   formats < platform < input < mapping < link
#                                input  < profiles
#                                mapping < overlay
#                                mapping < trace (the measuring build's aim trace)
#   app uses them all; resources/ holds only the ids the dialogs and the menu share.
#
# Where the file system cannot make the view's symbolic links (Windows without the right to
# make them), the layer sees the whole tree and only linking keeps the order.

# qora_add_layer(NAME USES lower layers... [SEES extra folders...])
function(qora_add_layer name)
    cmake_parse_arguments(LAYER "" "" "USES;SEES" ${ARGN})
    set(target qora_${name})
    add_library(${target} STATIC)
    target_link_libraries(${target} PUBLIC qora_options)
    foreach(lower IN LISTS LAYER_USES)
        target_link_libraries(${target} PUBLIC qora_${lower})
    endforeach()

    # The view: this folder, the folders of every layer below (direct or not), extras.
    set(folders ${name} ${LAYER_SEES})
    foreach(lower IN LISTS LAYER_USES)
        get_target_property(lower_folders qora_${lower} QORA_VIEW_FOLDERS)
        list(APPEND folders ${lower_folders})
    endforeach()
    list(REMOVE_DUPLICATES folders)
    set_target_properties(${target} PROPERTIES QORA_VIEW_FOLDERS "${folders}")

    set(view ${CMAKE_BINARY_DIR}/layer_views/${name})
    set(view_made TRUE)
    file(MAKE_DIRECTORY ${view})
    foreach(folder IN LISTS folders)
        if(NOT IS_SYMLINK ${view}/${folder})
            file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${view}/${folder} RESULT made SYMBOLIC)
            if(NOT made EQUAL 0)
                set(view_made FALSE)
            endif()
        endif()
    endforeach()
    if(view_made)
        target_include_directories(${target} PRIVATE ${view})
    else()
        message(STATUS "${target}: no view of the tree (${made}); it sees every folder")
        target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
    endif()
endfunction()
