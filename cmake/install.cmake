# Installing Kanimo like any desktop application: the two programs, a desktop entry, an icon
# drawn by the program's own renderer, a man page for each program, and a Debian package
# (cpack -G DEB) whose dependencies dpkg-shlibdeps reads from the binaries.
include(GNUInstallDirs)

find_program(HELP2MAN help2man REQUIRED)

set(KANIMO_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${KANIMO_GENERATED_DIR})

# A man page made from a program's --help. Written beside its place and renamed into it,
# so a failed run leaves no half page behind.
function(kanimo_man_page target description)
  set(page ${KANIMO_GENERATED_DIR}/${target}.1)
  add_custom_command(OUTPUT ${page}
    COMMAND ${HELP2MAN} --no-info --section=1 --name=${description} ${ARGN}
            --output=${page}.partial $<TARGET_FILE:${target}>
    COMMAND ${CMAKE_COMMAND} -E rename ${page}.partial ${page}
    DEPENDS ${target}
    COMMENT "Writing the man page of ${target}"
    VERBATIM)
  add_custom_target(${target}_man_page ALL DEPENDS ${page})
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

install(TARGETS kanimo-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
kanimo_man_page(kanimo-sim "run the Kanimo world without a window")

if(TARGET kanimo)
  install(TARGETS kanimo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  kanimo_man_page(kanimo "an artificial-life simulation in a window")
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/kanimo.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

  set(KANIMO_ICON ${KANIMO_GENERATED_DIR}/kanimo.png)
  add_custom_command(OUTPUT ${KANIMO_ICON}
    COMMAND kanimo-icon ${KANIMO_ICON}
    DEPENDS kanimo-icon
    COMMENT "Drawing the icon"
    VERBATIM)
  add_custom_target(kanimo_icon ALL DEPENDS ${KANIMO_ICON})
  install(FILES ${KANIMO_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
endif()

set(CPACK_PACKAGE_NAME kanimo)
set(CPACK_PACKAGE_VENDOR "Kanimo developers")
set(CPACK_PACKAGE_CONTACT "Kanimo developers <kanimo@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "artificial-life simulation of small swimming creatures")
set(CPACK_PACKAGE_DESCRIPTION "A population of small swimming creatures lives in a square \
world: they meet, push apart, bite, grow, age and split into offspring, one of them mutated. \
kanimo shows the world in a window; kanimo-sim runs it without one, for research and \
comparison.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
include(CPack)
