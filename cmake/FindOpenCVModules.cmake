# OpenCV from Debian's per-module -dev packages (which ship no CMake package file).
# Defines OpenCV::<module> imported targets and the list OpenCV_LIBS for core, imgproc and imgcodecs.
find_path(OpenCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4 REQUIRED)
set(OpenCV_LIBS)
foreach(mod IN ITEMS core imgproc imgcodecs)
    find_library(OpenCV_${mod}_LIBRARY NAMES opencv_${mod} REQUIRED)
    add_library(OpenCV::${mod} UNKNOWN IMPORTED)
    set_target_properties(OpenCV::${mod} PROPERTIES
        IMPORTED_LOCATION ${OpenCV_${mod}_LIBRARY}
        INTERFACE_INCLUDE_DIRECTORIES ${OpenCV_INCLUDE_DIR})
    list(APPEND OpenCV_LIBS OpenCV::${mod})
endforeach()
