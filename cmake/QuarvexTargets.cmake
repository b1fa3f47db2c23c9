# Helpers that every folder uses to declare its targets.

set(QV_SOURCE_ROOT ${PROJECT_SOURCE_DIR}/src)
set(QV_MANIFEST_RC ${PROJECT_SOURCE_DIR}/res/manifest.rc)
# The program's resource script; it embeds the manifest itself. List it in an executable's
# SOURCES to link the program's dialogs and bitmaps into it.
set(QV_RESOURCE_RC ${PROJECT_SOURCE_DIR}/res/quarvex.rc)

# qv_library(name SOURCES ... DEPS ...): one static library per source folder.
function(qv_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${QV_SOURCE_ROOT})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# qv_executable(name SOURCES ... DEPS ... [GUI]): on Windows every executable embeds the
# application manifest (UTF-8 active code page, long paths, common controls v6).
function(qv_executable name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;DEPS" ${ARGN})
    set(sources ${ARG_SOURCES})
    if(WIN32 AND NOT QV_RESOURCE_RC IN_LIST sources)
        list(APPEND sources ${QV_MANIFEST_RC})
    endif()
    add_executable(${name} ${sources})
    target_include_directories(${name} PRIVATE ${QV_SOURCE_ROOT})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS})
    if(WIN32 AND ARG_GUI)
        set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE ON)
    endif()
endfunction()
