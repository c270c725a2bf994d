// The simulator helpers of the tools' tests, compiled into this test program.
#include "tools/PhoneSimProcess.cpp"
#include "tools/SimWireLog.cpp"
