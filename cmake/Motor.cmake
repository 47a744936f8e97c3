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
# The model is not in the repository: scripts/modelo installs it (by default in
# /usr/local/share/livora, or where --destino says) and the install step copies it from there.
find_file(LIVORA_MODELO_ARCHIVO isnet-general-use.onnx
  PATHS ${LIVORA_DATOS_BUILD} /usr/local/share/livora $ENV{HOME}/.local/share/livora
  NO_DEFAULT_PATH)
if(LIVORA_MODELO_ARCHIVO)
  install(FILES ${LIVORA_MODELO_ARCHIVO} DESTINATION ${LIVORA_DATOS_DESTINO} OPTIONAL)
endif()
