# Read by cpack for each package: the Debian package carries Debian's copyright and changelog, the RPM the
# licence and the hacks.conf.d entry; both carry the hack.
if(CPACK_GENERATOR STREQUAL "RPM")
  set(CPACK_COMPONENTS_ALL hack rpm)
else()
  set(CPACK_COMPONENTS_ALL hack debian)
endif()
