tobimaru_add_test(test_continuous GUI SOURCES playback/ContinuousRulesTest.cpp playback/ContinuousRig.cpp
  playback/ContinuousPlayTest.cpp playback/PlaybackOptionsTest.cpp)
