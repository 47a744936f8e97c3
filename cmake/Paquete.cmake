# What a desktop installation needs besides the programs (manual pages, shell completion,
# AppStream metadata, icons in the hicolor theme, the Debian copyright file) and CPack's
# Debian package. scripts/paquete drives it; the model and its licences are installed by
# cmake/Motor.cmake.

set(LIVORA_ID "io.github.livora.Livora" CACHE STRING "AppStream component id")
set(LIVORA_WEB "https://github.com/livora/livora" CACHE STRING "Project home page")
# Release date of PROJECT_VERSION, for the AppStream release entry.
set(LIVORA_FECHA "2026-12-06")
set(LIVORA_PAQUETE_DIR "${CMAKE_BINARY_DIR}/paquete")
set(LIVORA_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/livora")

# Manual pages, gzipped as Debian wants them. livora-cli's is written from its own --ayuda.
add_custom_command(
  OUTPUT "${LIVORA_PAQUETE_DIR}/livora-cli.1.gz"
  COMMAND "${CMAKE_SOURCE_DIR}/scripts/manual" "$<TARGET_FILE:livora-cli>" "${PROJECT_VERSION}"
          "${LIVORA_PAQUETE_DIR}/livora-cli.1"
  COMMAND gzip -9nf "${LIVORA_PAQUETE_DIR}/livora-cli.1"
  DEPENDS livora-cli "${CMAKE_SOURCE_DIR}/scripts/manual"
  COMMENT "Manual de livora-cli"
  VERBATIM)
set(LIVORA_MANUALES "${LIVORA_PAQUETE_DIR}/livora-cli.1.gz")
install(FILES "${LIVORA_PAQUETE_DIR}/livora-cli.1.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES "${CMAKE_SOURCE_DIR}/resources/paquete/livora-cli.bash"
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME livora-cli)
install(FILES "${CMAKE_SOURCE_DIR}/resources/paquete/copyright" DESTINATION ${LIVORA_DOC_DIR})

if(TARGET livora)
  add_custom_command(
    OUTPUT "${LIVORA_PAQUETE_DIR}/livora.1.gz"
    COMMAND ${CMAKE_COMMAND} -E copy "${CMAKE_SOURCE_DIR}/resources/paquete/livora.1"
            "${LIVORA_PAQUETE_DIR}/livora.1"
    COMMAND gzip -9nf "${LIVORA_PAQUETE_DIR}/livora.1"
    DEPENDS "${CMAKE_SOURCE_DIR}/resources/paquete/livora.1"
    VERBATIM)
  list(APPEND LIVORA_MANUALES "${LIVORA_PAQUETE_DIR}/livora.1.gz")
  install(FILES "${LIVORA_PAQUETE_DIR}/livora.1.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  # AppStream: the software centres' page of the application.
  set(LIVORA_DESKTOP livora.desktop)
  set(LIVORA_CAPTURAS_URL "${LIVORA_WEB}/raw/main/docs/capturas")
  configure_file("${CMAKE_SOURCE_DIR}/resources/paquete/livora.metainfo.xml.in"
    "${LIVORA_PAQUETE_DIR}/${LIVORA_ID}.metainfo.xml" @ONLY)
  install(FILES "${LIVORA_PAQUETE_DIR}/${LIVORA_ID}.metainfo.xml"
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The icon as PNG for the sizes menus and docks ask for, drawn from the SVG.
  find_program(LIVORA_RSVG rsvg-convert)
  if(LIVORA_RSVG)
    foreach(lado 16 24 32 48 64 128 256 512)
      set(png "${LIVORA_PAQUETE_DIR}/hicolor/${lado}x${lado}/apps/livora.png")
      add_custom_command(
        OUTPUT "${png}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${LIVORA_PAQUETE_DIR}/hicolor/${lado}x${lado}/apps"
        COMMAND "${LIVORA_RSVG}" -w ${lado} -h ${lado} -o "${png}"
                "${CMAKE_SOURCE_DIR}/resources/livora.svg"
        DEPENDS "${CMAKE_SOURCE_DIR}/resources/livora.svg"
        VERBATIM)
      list(APPEND LIVORA_ICONOS_PNG "${png}")
    endforeach()
    install(DIRECTORY "${LIVORA_PAQUETE_DIR}/hicolor" DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
  else()
    message(STATUS "Sin rsvg-convert: el icono se instala solo en SVG")
  endif()
endif()
add_custom_target(escritorio ALL DEPENDS ${LIVORA_MANUALES} ${LIVORA_ICONOS_PNG})

# The Debian package: livora_<version>_amd64.deb, its library dependencies found by
# dpkg-shlibdeps, plus what the programs run or load by name.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME livora)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR Livora)
set(CPACK_PACKAGE_CONTACT "Livora <livora@users.noreply.github.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "hace más pequeñas tus imágenes y tus PDF")
# CPack puts the summary first and indents these lines itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Livora compara cada alternativa de una imagen (PNG, JPEG, HEIC, AVIF, WebP) o
de un PDF con lo que ahorra y guarda la elegida junto al original. Recorta,
aplica filtros, añade texto, quita el fondo sin conexión y organiza, une y
protege PDF. Incluye livora-cli, el mismo motor desde la línea de órdenes.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${LIVORA_WEB}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# cwebp for the WebP output, Qt's Spanish catalogue, the fonts of text layers and emoji,
# xdg-open and xdg-email for sharing.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "webp, qt6-translations-l10n, fonts-noto-core, fonts-noto-color-emoji, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
# The model is 176 MB of weights that barely compress; zstd packs it in seconds.
set(CPACK_DEBIAN_COMPRESSION_TYPE zstd)
include(CPack)
