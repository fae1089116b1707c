# fenlight-wayland on KWin 5.27 (KDE Plasma's compositor), with KWin's fake input for input and its
# screenshot D-Bus interface for what the outputs show. Labelled kwin and left out of the linux preset's
# test run (make test): KWin's packages are installed only by make test-kwin, which runs it.
find_file(FENLIGHT_FAKE_INPUT_XML fake-input.xml PATHS /usr/share/plasma-wayland-protocols NO_DEFAULT_PATH)
if(NOT FENLIGHT_FAKE_INPUT_XML)
  return()
endif()
fenlight_wayland_protocols(kwin_test_protocols ${FENLIGHT_FAKE_INPUT_XML}
                           ${wayland_protocols}/stable/xdg-shell/xdg-shell.xml
                           ${wayland_protocols}/unstable/idle-inhibit/idle-inhibit-unstable-v1.xml)
target_link_libraries(kwin_test_protocols PUBLIC PkgConfig::WaylandClient)
add_executable(wayland-kwin-input kwin_input.cpp)
target_link_libraries(wayland-kwin-input PRIVATE kwin_test_protocols)
fenlight_warnings(wayland-kwin-input)

add_test(NAME e2e_kwin COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/kwin.sh $<TARGET_FILE:fenlight-wayland>
                               $<TARGET_FILE:wayland-kwin-input>)
set_tests_properties(e2e_kwin PROPERTIES LABELS "e2e;kwin" TIMEOUT 300 SKIP_RETURN_CODE 77)
