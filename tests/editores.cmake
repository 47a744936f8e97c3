# The editors' arithmetic and widgets, run offscreen. Only with the desktop build.
if(NOT TARGET livora_editores)
  return()
endif()
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
# The widget suites share one main: an application object on the offscreen platform.
file(GLOB LIVORA_TESTS_EDITORES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/editores/*.cpp)
add_executable(tests_editores ${LIVORA_TESTS_EDITORES} ${CMAKE_CURRENT_SOURCE_DIR}/vistas/main.cpp)
target_link_libraries(tests_editores PRIVATE livora_editores Qt6::Test GTest::gtest GTest::gmock)
target_compile_definitions(tests_editores PRIVATE
  LIVORA_DATOS_TEST="${CMAKE_CURRENT_SOURCE_DIR}/datos")
gtest_discover_tests(tests_editores DISCOVERY_TIMEOUT 60
  PROPERTIES TIMEOUT 300 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
