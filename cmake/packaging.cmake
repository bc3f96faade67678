# What `cmake --install` and cpack ship: the program, its man page, LICENSE, and what the README
# points to: the README, the pages of docs/ and the examples. The .deb holds Debian's copyright
# file and changelog in place of LICENSE (see cpack_per_package.cmake).
include(GNUInstallDirs)
install(TARGETS drosk RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)

# Man pages and changelogs go compressed where there is gzip; -n leaves out the name and time, so
# the same text always gives the same bytes.
if(NOT WIN32)
  find_program(DROSK_GZIP gzip)
endif()
set(package_dir ${PROJECT_BINARY_DIR}/package)
function(drosk_gzip source name)  # makes ${package_dir}/NAME.gz from SOURCE
  add_custom_command(OUTPUT ${package_dir}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${package_dir}/${name}
    COMMAND ${DROSK_GZIP} -9nf ${package_dir}/${name}
    DEPENDS ${source} VERBATIM)
endfunction()

if(DROSK_GZIP)
  drosk_gzip(${PROJECT_SOURCE_DIR}/docs/drosk.1 drosk.1)
  set(man_page ${package_dir}/drosk.1.gz)
else()
  set(man_page ${PROJECT_SOURCE_DIR}/docs/drosk.1)
endif()
get_filename_component(DROSK_MAN_PAGE_NAME ${man_page} NAME)
install(FILES ${man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT program)
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT license)
# The pages keep their places beside the README, so that its links hold in the installed copy.
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT docs)
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs COMPONENT docs
        FILES_MATCHING PATTERN "*.md")
# What a build of the examples leaves in a checkout stays out.
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples COMPONENT docs
        PATTERN .gitignore EXCLUDE PATTERN build EXCLUDE PATTERN .gradle EXCLUDE
        PATTERN __drosk__.log EXCLUDE PATTERN __stderr__.log EXCLUDE)

set(DROSK_PACKAGE_MAINTAINER "" CACHE STRING
    "The .deb's maintainer, as \"Name <address>\"; cpack makes no .deb without one")
set(compressed ${man_page})
if(DROSK_GZIP AND DROSK_PACKAGE_MAINTAINER)
  # Debian keeps no common copy of the MIT license, so its copyright file holds all of LICENSE.
  file(READ LICENSE license)
  string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" holders "${license}")
  set(holders ${CMAKE_MATCH_1})
  string(FIND "${license}" "Permission" start)
  string(SUBSTRING "${license}" ${start} -1 text)
  string(STRIP "${text}" text)
  string(REPLACE "\n\n" "\n.\n" text "${text}")
  string(REPLACE "\n" "\n " text "${text}")
  file(CONFIGURE OUTPUT ${package_dir}/copyright CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: drosk

Files: *
Copyright: ${holders}
License: MIT
 ${text}
")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS LICENSE)
  configure_file(cmake/debian/changelog.in ${package_dir}/changelog.in @ONLY)
  drosk_gzip(${package_dir}/changelog.in changelog)
  list(APPEND compressed ${package_dir}/changelog.gz)
  install(FILES ${package_dir}/copyright ${package_dir}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT debian EXCLUDE_FROM_ALL)
endif()
if(DROSK_GZIP)
  add_custom_target(drosk_compressed ALL DEPENDS ${compressed})
endif()

set(CPACK_PACKAGE_NAME drosk)
set(CPACK_PACKAGE_VENDOR "the drosk developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "stand-in for javac that runs a preprocessor and maps messages back")
set(CPACK_PACKAGE_DESCRIPTION "\
drosk is started in place of the Java compiler command, with the arguments
javac would get. It runs the preprocessing command named in drosk.ini, which
writes processed copies of the sources into a build tree, hands the compiler
the build tree's files in place of the source tree's, runs the real compiler
and relays its messages with every build-tree path mapped back, so that
editors and build tools such as Ant, Maven and Gradle point at the files you
edit.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# The build tree keeps its debug information; the packages do not.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${DROSK_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Recommended rather than required, so that a JDK installed outside the package manager serves.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "default-jdk-headless | java-compiler")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_per_package.cmake)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
elseif(DROSK_PACKAGE_MAINTAINER)
  set(CPACK_GENERATOR TGZ DEB)
else()
  set(CPACK_GENERATOR TGZ)
endif()
include(CPack)
