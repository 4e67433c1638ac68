# GoogleTest for the tests and the shared test support: built from source
# for Windows (the tests run under wine), the system's package on Linux.

# The 64-bit Windows build exists for its tests, so their own code (and
# GoogleTest) is built for a short build (-O1); the module's code keeps the
# release flags it ships with in the 32-bit DLL.
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(PARDUNE_TEST_FLAGS -O1)
endif()

if(WIN32)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # gtest's own sources are not held to our warning flags.
  foreach(t gtest gtest_main gmock gmock_main)
    target_compile_options(${t} PRIVATE -Wno-error ${PARDUNE_TEST_FLAGS})
  endforeach()
  set(PARDUNE_GTEST gtest gmock)
  set(PARDUNE_GTEST_MAIN gtest_main)
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
  set(PARDUNE_GTEST GTest::gtest GTest::gmock)
  set(PARDUNE_GTEST_MAIN GTest::gtest_main)
endif()
