# Widget suites, run offscreen. Only with the desktop build.
if(NOT TARGET livora_vistas)
  return()
endif()
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)

file(GLOB LIVORA_TESTS_VISTAS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/vistas/*.cpp)
add_executable(tests_vistas ${LIVORA_TESTS_VISTAS})
target_link_libraries(tests_vistas PRIVATE livora_vistas Qt6::Test GTest::gtest GTest::gmock)
target_compile_definitions(tests_vistas PRIVATE QT_NO_KEYWORDS
  LIVORA_DATOS_TEST="${CMAKE_CURRENT_SOURCE_DIR}/datos")
gtest_discover_tests(tests_vistas DISCOVERY_TIMEOUT 60
  PROPERTIES TIMEOUT 300 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")

