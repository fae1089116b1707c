# The RPM of the Linux programs, for Fedora and openSUSE: `cpack -G RPM` in a release build writes
# fenlight-<version>-1.<arch>.rpm beside the .deb, from the same installed programs, settings description,
# manual pages and autostart entry (the hack and wayland components), with the licence and xscreensaver's
# hacks.conf.d entry (the rpm component) instead of Debian's copyright and changelog. Included by
# packaging/debian/CMakeLists.txt before CPack; cpack-components.cmake picks each package's components.
# rpmlint finds one error, no-signature: the RPM is signed (rpmsign) when it is published, not by make dist.
# Warnings kept: manpage-not-compressed (rpmlint's built-in default wants bzip2; the page is gzipped like the
# .deb's, which man reads as well) and invalid-license MIT (Debian's rpmlint has no list of licences; MIT is
# the SPDX name Fedora and openSUSE use) and no-manual-page-for-binary for both commands in /usr/bin
# (Debian's rpmlint 2.4 notes each page's section instead of its name, so it finds a page for no command).
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION share/licenses/fenlight COMPONENT rpm)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/fenlight.conf DESTINATION share/xscreensaver/hacks.conf.d
        COMPONENT rpm)

set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack-components.cmake)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/file-times.cmake)
set(CPACK_RPM_COMPONENT_INSTALL ON)
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_PACKAGE_RELOCATABLE OFF)
set(CPACK_RPM_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_RPM_PACKAGE_RELEASE 1)
set(CPACK_RPM_PACKAGE_LICENSE MIT)
set(CPACK_RPM_PACKAGE_GROUP Amusements/Graphics)
set(CPACK_RPM_PACKAGE_URL https://ostrel.invalid/fenlight)
set(CPACK_RPM_PACKAGE_SUMMARY "Soft coloured lights drifting through the dark, for xscreensaver and Wayland")
set(CPACK_RPM_PACKAGE_AUTOREQ ON)
set(CPACK_RPM_PACKAGE_AUTOPROV OFF)
set(CPACK_RPM_COMPRESSION_TYPE xz)
set(CPACK_RPM_USER_FILELIST "%license /usr/share/licenses/fenlight/LICENSE")
# Folders the distribution's own packages own (filesystem, xscreensaver, man) are not claimed.
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
    /usr/libexec /usr/libexec/xscreensaver /usr/share/licenses /usr/share/xscreensaver
    /usr/share/xscreensaver/config /usr/share/xscreensaver/hacks.conf.d /usr/share/man /usr/share/man/man1
    /usr/share/man/man6)
# xscreensaver's list of hacks is rebuilt from hacks.conf.d where the distribution has the command for it.
set(CPACK_RPM_POST_INSTALL_SCRIPT_FILE ${CMAKE_CURRENT_LIST_DIR}/update-hacks.sh)
set(CPACK_RPM_POST_UNINSTALL_SCRIPT_FILE ${CMAKE_CURRENT_LIST_DIR}/update-hacks.sh)
# Reproducible: no build-id links, the build time and file times from SOURCE_DATE_EPOCH, a fixed host.
set(CPACK_RPM_SPEC_MORE_DEFINE "Recommends: xscreensaver
Suggests: swayidle
Packager: ${FENLIGHT_MAINTAINER}
%define _build_id_links none
%define _buildhost reproducible
%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1")
