# GoogleTest for the tests and the shared test support: built from source
# for win32 (the tests run under wine), the system's package on Linux.
if(WIN32)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # gtest's own sources are not held to our warning flags.
  foreach(t gtest gtest_main gmock gmock_main)
    target_compile_options(${t} PRIVATE -Wno-error)
  endforeach()
  set(PARDUNE_GTEST gtest gmock)
  set(PARDUNE_GTEST_MAIN gtest_main)
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
  set(PARDUNE_GTEST GTest::gtest GTest::gmock)
  set(PARDUNE_GTEST_MAIN GTest::gtest_main)
endif()
