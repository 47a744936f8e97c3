# qpdf 11.3's JSON.hh does not compile with clang in C++20 against libstdc++ 12: clang
# instantiates the defaulted destructor of JSON::JSON_array, whose std::vector<JSON> then
# needs JSON complete. The destructor is only declared in a patched copy of the header,
# found before the system one; qpdf's library defines it, and Livora never uses that class.
set(livora_json_qpdf "${QPDF_INCLUDEDIR}/qpdf/JSON.hh")
if(NOT EXISTS "${livora_json_qpdf}")
  set(livora_json_qpdf /usr/include/qpdf/JSON.hh)
endif()
file(READ "${livora_json_qpdf}" livora_json)
string(REPLACE "virtual ~JSON_array() = default;" "virtual ~JSON_array();"
  livora_json "${livora_json}")
file(WRITE "${CMAKE_BINARY_DIR}/qpdf-clang/qpdf/JSON.hh" "${livora_json}")
target_include_directories(livora_motor BEFORE PUBLIC "${CMAKE_BINARY_DIR}/qpdf-clang")
