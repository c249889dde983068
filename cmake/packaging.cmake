# Debian packages by CPack, one per install component, split as Debian would:
#   libsondrel2     the library                       (component library)
#   libsondrel-dev  headers, link, pkg-config, CMake  (component development)
#   sondrel-tools   sondrel, korvane-sim, their pages (component tools)
#   plandex         the editor and what it brings     (component editor)
# Configure with -DCMAKE_INSTALL_PREFIX=/usr so that GNUInstallDirs puts the
# library in the multi-arch folder; scripts/package does.

# The build gives programs and library the run-path $ORIGIN:$ORIGIN/../lib;
# installed, they need none (the loader looks beside the program and in ../lib
# itself, then on the system's library path), so the installed copies drop it.
function(install_without_runpath component file)
  install(CODE "file(RPATH_REMOVE FILE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${file}\")"
    COMPONENT ${component})
endfunction()
install_without_runpath(editor ${CMAKE_INSTALL_BINDIR}/plandex)
install_without_runpath(tools ${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:sondrel>)
install_without_runpath(tools ${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:korvane-sim>)
install_without_runpath(library ${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:Sondrel>)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plandex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Plandex developers <plandex@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL library development tools editor)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME libsondrel2)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libsondrel-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME sondrel-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_EDITOR_PACKAGE_NAME plandex)
set(CPACK_DEBIAN_EDITOR_PACKAGE_SECTION electronics)
# Qt opens the database through its SQLite plug-in, which no linker sees.
set(CPACK_DEBIAN_EDITOR_PACKAGE_DEPENDS libqt6sql6-sqlite)
# Chinese texts need a CJK font; Qt's own dialog texts in Chinese come with its translations.
set(CPACK_DEBIAN_EDITOR_PACKAGE_RECOMMENDS "fonts-wqy-microhei, qt6-translations-l10n")

include(CPack)

# The programs load the library at run time, so dpkg-shlibdeps cannot see that
# they need it: the component dependencies say so.
cpack_add_component(library DISPLAY_NAME "Sondrel library"
  DESCRIPTION "meter link library Sondrel\nThe shared library libSondrel.so.2 with the class KorvaneConnection, which talks\nto a hand-held cable-television signal level meter over its serial line:\nchannel plans, levels, C/N, digital channel quality, stored measurement\nfiles, settings and screen copies.")
cpack_add_component(development DISPLAY_NAME "Sondrel development files" DEPENDS library
  DESCRIPTION "meter link library Sondrel - development files\nHeaders, the link library, a pkg-config file (sondrel) and a CMake package\n(Sondrel, target Sondrel::Sondrel) for programs that create KorvaneConnection\nand call it.")
cpack_add_component(tools DISPLAY_NAME "Sondrel tools" DEPENDS library
  DESCRIPTION "command-line client and simulated meter for Sondrel\nsondrel reaches every member of KorvaneConnection from a shell or a script\nand offers task commands (levels, files, settings, screen copies, ports).\nkorvane-sim is a simulated meter on a pseudo-terminal, for trying things out\nwithout the instrument.")
cpack_add_component(editor DISPLAY_NAME "Plandex" DEPENDS library
  DESCRIPTION "channel plan editor for a signal level meter\nPlandex prepares the channel plan of a hand-held cable-television signal\nlevel meter and moves it to and from the meter over a serial line. English\nand Chinese user interface.")
