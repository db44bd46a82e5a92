# The product: 32-bit Windows, Debian's mingw-w64 (win32 threading model: no
# std::thread or std::mutex, as on the host's platform).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QP_MINGW_PREFIX i686-w64-mingw32)
set(QP_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
