# Read by cpack before each package it makes. The .deb needs a maintainer, and holds Debian's
# copyright file and changelog in place of LICENSE.
set(no_maintainer "no .deb: DROSK_PACKAGE_MAINTAINER is not set \
(cmake -DDROSK_PACKAGE_MAINTAINER=\"Name <address>\" BUILD_DIR, then cpack again)")
if(CPACK_GENERATOR STREQUAL "DEB")
  if(NOT CPACK_DEBIAN_PACKAGE_MAINTAINER)
    message(FATAL_ERROR "${no_maintainer}")
  endif()
  list(GET CPACK_INSTALL_CMAKE_PROJECTS 0 build_dir)
  set(CPACK_INSTALL_CMAKE_PROJECTS "${build_dir};drosk;program;/;${build_dir};drosk;docs;/;${build_dir};drosk;debian;/")
elseif(CPACK_GENERATOR STREQUAL "TGZ" AND NOT CPACK_DEBIAN_PACKAGE_MAINTAINER)
  message(STATUS "${no_maintainer}")
endif()
