# Cross-building the 32-bit Windows player (it compiles here; 32-bit programs do not run).
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
