# The desktop application: the window code as a library (shared with the offscreen
# tests) and the `livora` executable.
find_package(Qt6 REQUIRED COMPONENTS Widgets Svg DBus Network)
set(CMAKE_AUTOMOC ON)

# Icons: the symbol set is fetched from the npm registry at a pinned version and checked
# hash into the build tree, then compiled into the binary.
set(LIVORA_ICONOS_DIR "${CMAKE_BINARY_DIR}/iconos")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/vistas/simbolos.cpp)
file(SHA256 ${CMAKE_SOURCE_DIR}/src/vistas/simbolos.cpp livora_tabla_iconos)
set(livora_tabla_hecha "")
if(EXISTS "${LIVORA_ICONOS_DIR}/tabla.sha256")
  file(STRINGS "${LIVORA_ICONOS_DIR}/tabla.sha256" livora_tabla_hecha LIMIT_COUNT 1)
endif()
if(NOT EXISTS "${LIVORA_ICONOS_DIR}/iconos.qrc" OR NOT livora_tabla_hecha STREQUAL livora_tabla_iconos)
  execute_process(
    COMMAND "${CMAKE_SOURCE_DIR}/scripts/iconos" "${LIVORA_ICONOS_DIR}"
    RESULT_VARIABLE livora_iconos_rc)
  if(NOT livora_iconos_rc EQUAL 0)
    message(WARNING "No se pudieron preparar los iconos; la ventana se verá sin símbolos.")
  endif()
endif()

file(GLOB LIVORA_VENTANA_FUENTES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/main/*.cpp ${CMAKE_SOURCE_DIR}/src/organizador/*.cpp)
list(REMOVE_ITEM LIVORA_VENTANA_FUENTES ${CMAKE_SOURCE_DIR}/src/main/main.cpp)
set(LIVORA_RECURSOS ${CMAKE_SOURCE_DIR}/resources/livora.qrc)
if(EXISTS "${LIVORA_ICONOS_DIR}/iconos.qrc")
  list(APPEND LIVORA_RECURSOS "${LIVORA_ICONOS_DIR}/iconos.qrc")
  set(LIVORA_CON_ICONOS ON)
endif()
qt_add_resources(LIVORA_RECURSOS_CPP ${LIVORA_RECURSOS})

add_library(livora_ventana STATIC ${LIVORA_VENTANA_FUENTES} ${LIVORA_RECURSOS_CPP})
target_include_directories(livora_ventana PUBLIC ${CMAKE_SOURCE_DIR}/src)
# glib (through libvips) uses the words Qt would turn into macros.
target_compile_definitions(livora_ventana PUBLIC QT_NO_KEYWORDS)
target_link_libraries(livora_ventana PUBLIC
  livora_motor Qt6::Widgets Qt6::Svg Qt6::DBus Qt6::Network)
if(TARGET livora_editores)
  target_link_libraries(livora_ventana PUBLIC livora_editores)
endif()
if(TARGET livora_vistas)
  target_link_libraries(livora_ventana PUBLIC livora_vistas)
  target_compile_definitions(livora_ventana PUBLIC LIVORA_CON_VISTAS=1)
endif()
target_compile_definitions(livora_ventana PUBLIC
  LIVORA_APPCAST="${LIVORA_APPCAST_URL}")
if(LIVORA_CON_ICONOS)
  target_compile_definitions(livora_ventana PRIVATE LIVORA_CON_ICONOS=1)
endif()

add_executable(livora ${CMAKE_SOURCE_DIR}/src/main/main.cpp)
target_link_libraries(livora PRIVATE livora_ventana)

install(TARGETS livora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/resources/livora.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/livora.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
if(EXISTS "${LIVORA_ICONOS_DIR}/LICENSE")
  install(FILES "${LIVORA_ICONOS_DIR}/LICENSE"
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/livora RENAME LICENSE.iconos)
endif()

# The page organiser's benchmark (bench/organizador builds it on demand).
add_executable(livora-bench-organizador EXCLUDE_FROM_ALL
  ${CMAKE_SOURCE_DIR}/bench/herramientas/organizador.cpp)
target_link_libraries(livora-bench-organizador PRIVATE livora_ventana)
