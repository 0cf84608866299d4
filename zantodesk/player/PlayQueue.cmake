# The play queue: the process-wide list the player walks and the playlist editor edits.
add_library(zanto_playqueue STATIC
  ${CMAKE_CURRENT_LIST_DIR}/PlayQueue.cpp
)
target_include_directories(zanto_playqueue PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zanto_playqueue PUBLIC zanto_common)

zanto_add_test(playqueue_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/PlayQueueTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tests/PlayQueueStepTest.cpp
  LIBS zanto_playqueue)
zanto_add_benchmark(bench_playqueue
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench/PlayQueueBench.cpp
  LIBS zanto_playqueue)
