# `cmake --install` lays out a program directory with the program and the factory parameter files.
# -DBUILD_DIR=<build tree> -DPREFIX=<scratch directory>
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "install failed (${rc}):\n${out}")
endif()
foreach(f monitor paraGroup/default/PARAM.db paraGroup/default/SN.db)
    if(NOT EXISTS "${PREFIX}/${f}")
        message(FATAL_ERROR "missing after install: ${f}")
    endif()
endforeach()
if(EXISTS "${PREFIX}/PARAM.db")
    message(FATAL_ERROR "the live PARAM.db is made by the first start, not by the install")
endif()
file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "install layout ok")
