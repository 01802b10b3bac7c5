# Imported targets opencv::<module> for the OpenCV modules we use. Debian splits OpenCV into one
# -dev package per module, and only the all-modules libopencv-dev ships the CMake package files,
# so the headers and libraries are looked up directly.
find_path(OPENCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4 REQUIRED)
foreach(module IN ITEMS core imgproc imgcodecs)
    find_library(OPENCV_${module}_LIBRARY opencv_${module} REQUIRED)
    add_library(opencv::${module} UNKNOWN IMPORTED)
    set_target_properties(opencv::${module} PROPERTIES
        IMPORTED_LOCATION ${OPENCV_${module}_LIBRARY}
        INTERFACE_INCLUDE_DIRECTORIES ${OPENCV_INCLUDE_DIR})
endforeach()
