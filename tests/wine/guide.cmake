# Tests of the guide's command lines under Wine; included by CMakeLists.txt.
