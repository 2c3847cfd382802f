tobimaru_add_test(test_player GUI SOURCES playback/MediaPlayerTest.cpp playback/clsMovieTest.cpp
  playback/WaveVolumeTest.cpp)

# The GL picture path needs a display; where Xvfb is at hand it gets one.
find_program(TOBIMARU_XVFB Xvfb)
if(TARGET test_player AND TOBIMARU_XVFB)
  add_test(NAME test_player_gl
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/support/with-xvfb.sh $<TARGET_FILE:test_player>
      --gtest_filter=MediaPlayerTest.GlOutput*:MediaPlayerTest.PlaysToTheEnd*)
  set_tests_properties(test_player_gl PROPERTIES TIMEOUT 60)
endif()
