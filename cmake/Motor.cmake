# The engine's editing libraries: Pango/Cairo for text layers, OpenCV DNN for background
# removal; plus the segmentation model and its licences in the data folder.
pkg_check_modules(PANGOCAIRO REQUIRED IMPORTED_TARGET pangocairo)
target_link_libraries(livora_motor PUBLIC PkgConfig::PANGOCAIRO)

# Debian's OpenCV ships neither a CMake package nor a pkg-config file for these modules.
find_path(OPENCV_INCLUDE_DIR opencv2/dnn.hpp PATH_SUFFIXES opencv4 REQUIRED)
foreach(modulo core imgproc dnn)
  find_library(OPENCV_${modulo}_LIB opencv_${modulo} REQUIRED)
  list(APPEND LIVORA_OPENCV_LIBS ${OPENCV_${modulo}_LIB})
endforeach()
# SYSTEM: OpenCV's headers warn under C++20 and CI builds with -Werror.
target_include_directories(livora_motor SYSTEM PRIVATE ${OPENCV_INCLUDE_DIR})
target_link_libraries(livora_motor PRIVATE ${LIVORA_OPENCV_LIBS})

set(LIVORA_DATOS_DESTINO ${CMAKE_INSTALL_DATADIR}/livora)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/licencias/ DESTINATION ${LIVORA_DATOS_DESTINO}/licencias)
# The model is not in the repository; scripts/modelo puts it in the build tree when asked
# (scripts/modelo --destino build/datos) and it is installed from there when present.
install(FILES ${LIVORA_DATOS_BUILD}/isnet-general-use.onnx DESTINATION ${LIVORA_DATOS_DESTINO}
  OPTIONAL)
