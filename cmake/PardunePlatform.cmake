# pardune_sources(<var> <globs...>): the matching sources for this platform.
# Files ending in _win.cpp build only for Windows, _posix.cpp only elsewhere.
function(pardune_sources var)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS ${ARGN})
  if(WIN32)
    list(FILTER found EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER found EXCLUDE REGEX "_win\\.cpp$")
  endif()
  set(${var} ${found} PARENT_SCOPE)
endfunction()
