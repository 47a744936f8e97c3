# The content-area editors: crop and text layers, each a Qt-free core (the arithmetic) and
# its widgets, plus the emoji picker and its list of names.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

# The emoji names are fetched from the npm registry at a pinned version and checked hash
# into the build tree, then compiled into the binary (scripts/emojis).
set(LIVORA_EMOJIS_DIR "${CMAKE_BINARY_DIR}/emojis")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/scripts/emojis)
file(SHA256 ${CMAKE_SOURCE_DIR}/scripts/emojis livora_script_emojis)
set(livora_emojis_hecho "")
if(EXISTS "${LIVORA_EMOJIS_DIR}/script.sha256")
  file(STRINGS "${LIVORA_EMOJIS_DIR}/script.sha256" livora_emojis_hecho LIMIT_COUNT 1)
endif()
if(NOT EXISTS "${LIVORA_EMOJIS_DIR}/emojis.qrc" OR NOT livora_emojis_hecho STREQUAL livora_script_emojis)
  execute_process(
    COMMAND "${CMAKE_SOURCE_DIR}/scripts/emojis" "${LIVORA_EMOJIS_DIR}"
    RESULT_VARIABLE livora_emojis_rc)
  if(NOT livora_emojis_rc EQUAL 0)
    message(WARNING "No se pudo preparar la lista de emojis; el selector solo ofrecerá los rápidos.")
  endif()
endif()

file(GLOB LIVORA_EDITORES_FUENTES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/editores/*.cpp)
set(LIVORA_EDITORES_RECURSOS "")
if(EXISTS "${LIVORA_EMOJIS_DIR}/emojis.qrc")
  qt_add_resources(LIVORA_EDITORES_RECURSOS "${LIVORA_EMOJIS_DIR}/emojis.qrc")
  set(LIVORA_CON_EMOJIS ON)
endif()
add_library(livora_editores STATIC ${LIVORA_EDITORES_FUENTES} ${LIVORA_EDITORES_RECURSOS})
set_target_properties(livora_editores PROPERTIES AUTOMOC ON)
target_include_directories(livora_editores PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(livora_editores PUBLIC livora_vistas livora_motor Qt6::Widgets)
# glib (under libvips) uses "signals" as an identifier; Qt's keyword macros would break it.
target_compile_definitions(livora_editores PUBLIC QT_NO_KEYWORDS)
if(LIVORA_CON_EMOJIS)
  target_compile_definitions(livora_editores PRIVATE LIVORA_CON_EMOJIS=1)
  install(FILES "${LIVORA_EMOJIS_DIR}/LICENSE.emojis" DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/livora)
endif()
