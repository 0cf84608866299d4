# The CD drive: table of contents, disc identity, the drive lock and digital play through the
# common sound output, on libcdio (images and drives) with paranoia for real drives.
pkg_check_modules(CDIO REQUIRED IMPORTED_TARGET libcdio libcdio_cdda libcdio_paranoia)
add_library(zanto_cddrive STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CDDevice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CDPlayback.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CDSoundOutput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DiscToc.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DriveLock.cpp
)
target_link_libraries(zanto_cddrive PUBLIC zanto_common zanto_cd zanto_audio Threads::Threads
                      PRIVATE PkgConfig::CDIO)

zanto_add_test(cd_drive_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/DiscTocTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tests/DriveLockTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tests/CDDeviceTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tests/CDPlaybackTest.cpp
  LIBS zanto_cddrive)

zanto_add_benchmark(cd_read_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench/CDReadBench.cpp
  LIBS zanto_cddrive)
