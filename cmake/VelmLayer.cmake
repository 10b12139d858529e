# Helpers shared by the layer, tool, test and benchmark folders.

function(velm_warnings target)
    # GCC 12 reports false -Wrestrict overlaps inside std::string at -O2.
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>)
endfunction()

# Every source knows its own file stem, so a tracked allocation can name its site as ".\CThread".
function(velm_apply_site target)
    foreach(src ${ARGN})
        get_filename_component(stem ${src} NAME_WE)
        set_property(SOURCE ${src} TARGET_DIRECTORY ${target} APPEND PROPERTY COMPILE_DEFINITIONS
                     "VELM_FILE_STEM=\"${stem}\"")
    endforeach()
endfunction()

# velm_layer(name [DEPS lib...]): a static library of every .cpp in the calling folder.
function(velm_layer name)
    cmake_parse_arguments(L "" "" "DEPS" ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(srcs)
        add_library(velm_${name} STATIC ${srcs})
        target_include_directories(velm_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(velm_${name} PUBLIC ${L_DEPS})
        velm_apply_site(velm_${name} ${srcs})
        velm_warnings(velm_${name})
    else()
        add_library(velm_${name} INTERFACE)
        target_include_directories(velm_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(velm_${name} INTERFACE ${L_DEPS})
    endif()
endfunction()

# velm_program(name SOURCES... [LIBS lib...]): an executable of ours with warnings and site names.
function(velm_program name)
    cmake_parse_arguments(P "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${P_SOURCES})
    target_link_libraries(${name} PRIVATE ${P_LIBS})
    velm_apply_site(${name} ${P_SOURCES})
    velm_warnings(${name})
endfunction()
