# Read by cpack for each package it makes. The Debian package's Depends come
# from dpkg-shlibdeps run here: when CPack runs it, it also puts ldconfig
# calls into postinst and postrm for any library under /usr/lib, even one in
# a private folder such as /usr/lib/pardune that ldconfig never reads.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(work ${CPACK_PACKAGE_DIRECTORY}/shlibdeps)
  file(REMOVE_RECURSE ${work})
  file(WRITE ${work}/debian/control "")
  execute_process(COMMAND dpkg-shlibdeps -O -l${CPACK_PARDUNE_PRIVATE_DIR} ${CPACK_PARDUNE_BINARIES}
                  WORKING_DIRECTORY ${work}
                  OUTPUT_VARIABLE out
                  ERROR_VARIABLE err
                  RESULT_VARIABLE status)
  file(REMOVE_RECURSE ${work})
  if(NOT status EQUAL 0 OR NOT out MATCHES "shlibs:Depends=([^\n]+)")
    message(FATAL_ERROR "dpkg-shlibdeps found no dependencies: ${err}")
  endif()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
endif()
