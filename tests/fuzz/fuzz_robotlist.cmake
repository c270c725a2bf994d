konvelo_add_fuzzer(fuzz_robotlist
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_robotlist.cpp
          ${CMAKE_SOURCE_DIR}/src/robot/TRobotList.cpp
          ${CMAKE_SOURCE_DIR}/src/common/Cp1251.cpp
          ${CMAKE_SOURCE_DIR}/src/common/TTextLineReader.cpp
  LIBS Qt6::Core)
