# Read by cpack for each package: the Debian package carries Debian's copyright and changelog, the RPM the
# licence and the hacks.conf.d entry; both carry the programs (the hack and the Wayland saver).
if(CPACK_GENERATOR STREQUAL "RPM")
  set(CPACK_COMPONENTS_ALL ${CPACK_FENLIGHT_PROGRAMS} rpm)
else()
  set(CPACK_COMPONENTS_ALL ${CPACK_FENLIGHT_PROGRAMS} debian)
endif()
