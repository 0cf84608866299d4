# The decoder plug-in host (no toolkit: the windows and the terminal player both use it).
add_library(zanto_pluginhost STATIC ${CMAKE_CURRENT_LIST_DIR}/PluginHost.cpp)
target_link_libraries(zanto_pluginhost PUBLIC zanto_stream zanto_common hma_contract ${CMAKE_DL_LIBS})

find_library(MP3LAME_LIBRARY mp3lame REQUIRED)

# Small plug-ins with scripted answers, built for the host's tests.
set(PLUGINHOST_FIXTURES ${CMAKE_BINARY_DIR}/tests/hma-fixtures)
function(pluginhost_fixture name)
  zanto_add_plugin(${name} SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/PluginHostFixturePlugin.cpp
                   OUTPUT_DIRECTORY ${PLUGINHOST_FIXTURES})
  target_compile_definitions(${name} PRIVATE ${ARGN})
endfunction()
pluginhost_fixture(fx_wav "FX_FILTER=\"WAV (*.wav)|*.wav|\"" "FX_NAME=\"Fixture WAV\"" "FX_EXT=\".wav\""
                   FX_UNKNOWN_DURATIONS=2 FX_DURATION=4000)
pluginhost_fixture(fx_mpeg "FX_FILTER=\"MPEG (*.mp3)|*.mp3|\"" "FX_NAME=\"Fixture MPEG\"" "FX_EXT=\".mp3\""
                   FX_DURATION=3000)
pluginhost_fixture(fx_refuse "FX_FILTER=\"Refuse (*.ref)|*.ref|\"" "FX_EXT=\".ref\"" FX_CAN_BE_OPEN=3)
pluginhost_fixture(fx_noopen "FX_FILTER=\"Bad (*.bad)|*.bad|\"" "FX_EXT=\".bad\"" FX_OPEN_FAILS)
pluginhost_fixture(fx_noprobe "FX_FILTER=\"Odd (*.odd)|*.odd|\"" "FX_EXT=\".odd\"" FX_PROBE_ANSWER=2)
pluginhost_fixture(fx_partial "FX_FILTER=\"Part (*.part)|*.part|\"" "FX_EXT=\".part\"" FX_WITHOUT_SETPOS)

zanto_add_test(pluginhost_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/PluginHostTest.cpp
  LIBS zanto_pluginhost ${MP3LAME_LIBRARY})
add_dependencies(pluginhost_tests fx_wav fx_mpeg fx_refuse fx_noopen fx_noprobe fx_partial mpegaud)
target_compile_definitions(pluginhost_tests PRIVATE
  PLUGINHOST_FIXTURES="${PLUGINHOST_FIXTURES}" MPEGAUD_PLUGIN="$<TARGET_FILE:mpegaud>")
