# SPDX-License-Identifier: MIT
# Installing Kanimo like any desktop application: the programs, a desktop entry for each
# window program, an icon drawn by the program's own renderer, a compressed man page for
# each program, the licence and a changelog, and a Debian package (cpack -G DEB) whose
# dependencies dpkg-shlibdeps reads from the binaries.
include(GNUInstallDirs)

find_program(KANIMO_GZIP gzip REQUIRED)

set(KANIMO_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${KANIMO_GENERATED_DIR})

# Compresses `input` into `output` as Debian wants it (gzip -9n: no name or time inside, so
# the same page gives the same bytes). Written beside its place and renamed into it, so a
# failed run leaves no half file behind.
function(kanimo_gzip input output)
  add_custom_command(OUTPUT ${output}
    COMMAND sh -c "${KANIMO_GZIP} -9nc \"$1\" > \"$2.partial\" && mv \"$2.partial\" \"$2\""
            sh ${input} ${output}
    DEPENDS ${input}
    COMMENT "Compressing ${output}"
    VERBATIM)
endfunction()

# Installs a program's man page, compressed. Either a page kept by hand, PAGE file.1.in,
# whose @PROJECT_VERSION@ is filled in, or one help2man makes from the program's --help,
# HELP2MAN "what the program does" [INCLUDE file.h2m]. The pages are listed in the global
# property KANIMO_MAN_PAGES as <target>=<page>, for the test that holds a page to its --help.
function(kanimo_install_man_page target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "PAGE;HELP2MAN;INCLUDE" "")
  set(page ${KANIMO_GENERATED_DIR}/${target}.1)
  if(arg_PAGE)
    configure_file(${arg_PAGE} ${page} @ONLY)
  else()
    find_program(HELP2MAN help2man REQUIRED)
    set(include)
    if(arg_INCLUDE)
      set(include --include=${arg_INCLUDE})
    endif()
    add_custom_command(OUTPUT ${page}
      COMMAND ${HELP2MAN} --no-info --section=1 --name=${arg_HELP2MAN} ${include}
              --output=${page}.partial $<TARGET_FILE:${target}>
      COMMAND ${CMAKE_COMMAND} -E rename ${page}.partial ${page}
      DEPENDS ${target} ${arg_INCLUDE}
      COMMENT "Writing the man page of ${target}"
      VERBATIM)
  endif()
  kanimo_gzip(${page} ${page}.gz)
  add_custom_target(${target}_man_page ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  set_property(GLOBAL APPEND PROPERTY KANIMO_MAN_PAGES "${target}=${page}")
endfunction()

# Installs a program with its man page (the arguments of kanimo_install_man_page) and,
# for a window program, its desktop entry: DESKTOP file.desktop.
function(kanimo_install_program target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DESKTOP" "")
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  kanimo_install_man_page(${target} ${arg_UNPARSED_ARGUMENTS})
  if(arg_DESKTOP)
    install(FILES ${arg_DESKTOP} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  endif()
endfunction()

kanimo_install_program(kanimo-sim PAGE ${PROJECT_SOURCE_DIR}/packaging/man/kanimo-sim.1.in)

if(TARGET kanimo)
  kanimo_install_program(kanimo PAGE ${PROJECT_SOURCE_DIR}/packaging/man/kanimo.1.in
    DESKTOP ${PROJECT_SOURCE_DIR}/packaging/kanimo.desktop)
endif()

# The icon every desktop entry names (Icon=kanimo).
if(KANIMO_BUILD_APP)
  set(KANIMO_ICON ${KANIMO_GENERATED_DIR}/kanimo.png)
  add_custom_command(OUTPUT ${KANIMO_ICON}
    COMMAND kanimo-icon ${KANIMO_ICON}
    DEPENDS kanimo-icon
    COMMENT "Drawing the icon"
    VERBATIM)
  add_custom_target(kanimo_icon ALL DEPENDS ${KANIMO_ICON})
  install(FILES ${KANIMO_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
endif()

# The licence in Debian's machine-readable form, and the changelog, compressed.
kanimo_gzip(${PROJECT_SOURCE_DIR}/packaging/changelog ${KANIMO_GENERATED_DIR}/changelog.gz)
add_custom_target(kanimo_changelog ALL DEPENDS ${KANIMO_GENERATED_DIR}/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${KANIMO_GENERATED_DIR}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME kanimo)
set(CPACK_PACKAGE_VENDOR "The Kanimo developers")
set(CPACK_PACKAGE_CONTACT "The Kanimo developers <kanimo@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "artificial-life simulation of small swimming creatures")
# Lines of at most 80 characters, as Debian wants them.
set(CPACK_PACKAGE_DESCRIPTION "A population of small swimming creatures lives in a square world:
they meet, push apart, bite, grow, age and split into offspring, one of them
mutated. kanimo shows the world in a window; kanimo-sim runs it without one,
for research and comparison, and writes statistics, pictures, videos, a record
of the run's lives and their family tree.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
include(CPack)
