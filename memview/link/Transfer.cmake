# The transfer engine's part of the link library: it fetches web addresses with libcurl.
find_package(CURL REQUIRED)
target_link_libraries(memview PRIVATE CURL::libcurl)

if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/tests/transfer/CMakeLists.txt)
  add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/tests/transfer ${CMAKE_CURRENT_BINARY_DIR}/tests-transfer)
endif()
if(ZANTO_BENCHMARKS AND EXISTS ${CMAKE_CURRENT_LIST_DIR}/bench/transfer/CMakeLists.txt)
  add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/bench/transfer ${CMAKE_CURRENT_BINARY_DIR}/bench-transfer)
endif()
