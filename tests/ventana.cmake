# Window logic and widgets, driven offscreen with fake dialogs and a controllable clock.
if(TARGET livora_ventana)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  file(GLOB LIVORA_TESTS_VENTANA CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ventana/*.cpp)
  add_executable(tests_ventana ${LIVORA_TESTS_VENTANA})
  set_target_properties(tests_ventana PROPERTIES AUTOMOC ON)
  target_link_libraries(tests_ventana PRIVATE livora_ventana Qt6::Test GTest::gtest GTest::gmock)
  target_compile_definitions(tests_ventana PRIVATE
    LIVORA_DATOS_TEST="${CMAKE_CURRENT_SOURCE_DIR}/datos")
  gtest_discover_tests(tests_ventana DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 600 ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
)
endif()
