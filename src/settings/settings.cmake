list(APPEND TOBIMARU_CORE_SOURCES
  settings/PrivateProfile.cpp
  settings/IniFile.cpp
  settings/SettingsConvert.cpp
  settings/MediaTypeTable.cpp
  settings/SettingsSchema.cpp
)
