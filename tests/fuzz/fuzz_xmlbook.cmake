konvelo_add_fuzzer(fuzz_xmlbook
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_xmlbook.cpp
          ${CMAKE_SOURCE_DIR}/src/records/TXmlDataPacket.cpp
          ${CMAKE_SOURCE_DIR}/src/records/TTableSchema.cpp
  LIBS Qt6::Core)
