konvelo_add_fuzzer(fuzz_profile
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_profile.cpp
          ${CMAKE_SOURCE_DIR}/src/phonesettings/TParamModel.cpp
          ${CMAKE_SOURCE_DIR}/src/common/Cp1251.cpp
          ${CMAKE_SOURCE_DIR}/src/common/TTextLineReader.cpp
          ${CMAKE_SOURCE_DIR}/src/phone/TPhoneIdentity.cpp
  LIBS Qt6::Core)
