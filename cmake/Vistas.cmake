# The workspace widgets: comparator, filter panel, output controls and metadata row.
find_package(Qt6 REQUIRED COMPONENTS Widgets Svg Concurrent)

file(GLOB LIVORA_VISTAS_FUENTES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/src/vistas/*.cpp)
add_library(livora_vistas STATIC ${LIVORA_VISTAS_FUENTES})
set_target_properties(livora_vistas PROPERTIES AUTOMOC ON)
target_link_libraries(livora_vistas PUBLIC livora_motor Qt6::Widgets Qt6::Svg Qt6::Concurrent)
# glib (under libvips) uses "signals" as an identifier; Qt's keyword macros would break it.
target_compile_definitions(livora_vistas PRIVATE QT_NO_KEYWORDS)
