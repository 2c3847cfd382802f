tobimaru_add_test(test_settings SOURCES
  settings/PrivateProfileTest.cpp
  settings/MediaTypeTableTest.cpp
  settings/SettingsSchemaTest.cpp
  settings/FakeSettingsHost.cpp)
