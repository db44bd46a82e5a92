# 64-bit Windows, Debian's mingw-w64; its programs run under wine64. GoogleTest
# needs std::mutex, so this build uses the posix threading model (linked in
# statically like the rest of the runtime).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QP_MINGW_PREFIX x86_64-w64-mingw32)
set(QP_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
