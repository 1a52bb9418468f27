# What the packages hold, and the CPack settings that make them; scripts/package runs cpack in both build folders.
# The Windows build makes the zip for After Effects users and, with Debian's makensis, the setup program (target
# `setup`); the Linux build makes the .deb of the host and the Linux module. Their names carry PROJECT_VERSION, the
# version the effect declares, writes into its PiPL and shows in its about box.

# Packaging builds only what it installs: install does not build the whole tree (the tests) first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_PACKAGE_NAME Vorlane)
set(CPACK_PACKAGE_VENDOR Vorlane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "draws copies of layers along mask outlines")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_CONTACT "Vorlane developers" CACHE STRING "The Maintainer of the .deb")

if(WIN32)
  # The zip: a folder holding the module, the install note (with Windows line ends, for Notepad) and the licence.
  configure_file(${PROJECT_SOURCE_DIR}/packaging/Install.txt.in ${CMAKE_BINARY_DIR}/packaging/Install.txt @ONLY
                 NEWLINE_STYLE WIN32)
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/packaging/LICENSE.txt NEWLINE_STYLE WIN32)
  install(TARGETS Vorlane LIBRARY DESTINATION . COMPONENT plugin)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/Install.txt ${CMAKE_BINARY_DIR}/packaging/LICENSE.txt
          DESTINATION . COMPONENT plugin)
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};Vorlane;plugin;/")
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME Vorlane-${PROJECT_VERSION}-win64)

  # The setup program is made by makensis directly: it installs one file into After Effects' folder and registers
  # its uninstaller, which a short script of our own says more plainly than CPack's general-purpose NSIS template.
  find_program(VORLANE_MAKENSIS makensis)
  set(VORLANE_SETUP_FILE ${CMAKE_BINARY_DIR}/Vorlane-${PROJECT_VERSION}-setup.exe)
  if(VORLANE_MAKENSIS)
    add_custom_command(OUTPUT ${VORLANE_SETUP_FILE}
                       COMMAND ${VORLANE_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DAEX=$<TARGET_FILE:Vorlane>
                               -DLICENSE_FILE=${CMAKE_BINARY_DIR}/packaging/LICENSE.txt -DOUTFILE=${VORLANE_SETUP_FILE}
                               ${PROJECT_SOURCE_DIR}/packaging/setup.nsi
                       DEPENDS Vorlane ${PROJECT_SOURCE_DIR}/packaging/setup.nsi ${PROJECT_SOURCE_DIR}/LICENSE
                       COMMENT "Making the setup program")
  else()
    add_custom_command(OUTPUT ${VORLANE_SETUP_FILE}
                       COMMAND ${CMAKE_COMMAND} -E echo "makensis is missing: scripts/install-deps --package"
                       COMMAND ${CMAKE_COMMAND} -E false)
  endif()
  add_custom_target(setup DEPENDS ${VORLANE_SETUP_FILE})
else()
  # The .deb: vorlane in /usr/bin finds the module and its PiPL in ../lib/vorlane/ (module/LoadedModule.cpp).
  install(TARGETS vorlane RUNTIME DESTINATION bin COMPONENT host)
  install(TARGETS Vorlane LIBRARY DESTINATION lib/vorlane COMPONENT host)
  install(FILES ${VORLANE_PIPL_FILE} DESTINATION lib/vorlane COMPONENT host)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION share/doc/vorlane RENAME copyright COMPONENT host)
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};Vorlane;host;/")
  # The build keeps debug information; the package does not need it. (The Windows module is a Release build, and the
  # zip and the setup program carry the same bytes.)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_PACKAGE_NAME vorlane)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stand-alone host for the Vorlane effect")
  set(CPACK_PACKAGE_DESCRIPTION "vorlane loads the Vorlane effect module, installed with it, as After Effects does. \
It renders JSON scenes to PNG, OpenEXR or video, shows the effect's controls live in the browser, and renders on Slurm \
clusters.")
  # The libraries' packages, as dpkg-shlibdeps finds them from the binaries; ffmpeg only for video output.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ffmpeg)
endif()

include(CPack)
