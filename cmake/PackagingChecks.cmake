# Read by cpack before it makes a package.
if(CPACK_GENERATOR STREQUAL "DEB")
  find_program(QUILLARY_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(NOT QUILLARY_DPKG_SHLIBDEPS)
    message(FATAL_ERROR "dpkg-shlibdeps is missing, and without it the package would declare "
      "none of the libraries it needs; install it with: apt-get install dpkg-dev")
  endif()
endif()
