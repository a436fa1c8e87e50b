# Helpers shared by every folder of the project.

set(MONITOR_PCH_HEADER ${CMAKE_CURRENT_LIST_DIR}/pch.h)

# One precompiled header, built once by `monitor_pch` and reused by every target (one copy per
# build tree instead of one per target). GCC only takes a precompiled header compiled with the same
# macros, so the Qt module macros are defined for every target alike (see the top-level file).
if(NOT TARGET monitor_pch)
    add_library(monitor_pch STATIC ${CMAKE_CURRENT_LIST_DIR}/pch_anchor.cpp)
    target_link_libraries(monitor_pch PUBLIC Qt5::Core Qt5::Gui Qt5::Widgets)
    target_precompile_headers(monitor_pch PRIVATE ${MONITOR_PCH_HEADER})
endif()

function(monitor_use_pch target)
    target_precompile_headers(${target} REUSE_FROM monitor_pch)
endfunction()

# monitor_library(NAME <target> [DEPS <targets...>] [PRIVATE_DEPS <targets...>] [EXTRA_SOURCES <files...>])
# One static library made of every *.cpp/*.h/*.qrc of the calling folder (not recursive).
function(monitor_library)
    cmake_parse_arguments(ML "" "NAME" "DEPS;PRIVATE_DEPS;EXTRA_SOURCES" ${ARGN})
    file(GLOB _src CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
    add_library(${ML_NAME} STATIC ${_src} ${ML_EXTRA_SOURCES})
    target_include_directories(${ML_NAME} PUBLIC ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${ML_NAME} PUBLIC Qt5::Core Qt5::Gui Qt5::Widgets ${ML_DEPS})
    if(ML_PRIVATE_DEPS)
        target_link_libraries(${ML_NAME} PRIVATE ${ML_PRIVATE_DEPS})
    endif()
    monitor_use_pch(${ML_NAME})
endfunction()

# monitor_add_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [SERIAL] [TIMEOUT <s>])
# A QtTest program run by CTest, headless. SERIAL tests take a shared lock and never run side by side.
function(monitor_add_test)
    cmake_parse_arguments(MT "SERIAL" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${MT_NAME} ${MT_SOURCES})
    target_link_libraries(${MT_NAME} PRIVATE Qt5::Test testfixtures ${MT_LIBS})
    monitor_use_pch(${MT_NAME})
    add_test(NAME ${MT_NAME} COMMAND ${MT_NAME})
    set(_env "QT_QPA_PLATFORM=offscreen" "MONITOR_PROFILE=simulated" "MONITOR_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
    set_tests_properties(${MT_NAME} PROPERTIES ENVIRONMENT "${_env}")
    if(MT_SERIAL)
        set_tests_properties(${MT_NAME} PROPERTIES RESOURCE_LOCK machine_cycle)
    endif()
    if(MT_TIMEOUT)
        set_tests_properties(${MT_NAME} PROPERTIES TIMEOUT ${MT_TIMEOUT})
    else()
        set_tests_properties(${MT_NAME} PROPERTIES TIMEOUT 300)
    endif()
endfunction()

# monitor_add_bench(NAME <name> SOURCES <files...> [LIBS <targets...>])
# A Google Benchmark program; built, never run by CTest.
function(monitor_add_bench)
    cmake_parse_arguments(MB "" "NAME" "SOURCES;LIBS" ${ARGN})
    find_package(benchmark REQUIRED)
    add_executable(${MB_NAME} ${MB_SOURCES})
    target_link_libraries(${MB_NAME} PRIVATE benchmark::benchmark ${MB_LIBS})
endfunction()
