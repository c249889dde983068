# The install rules are what the Debian packages (debian/, built by
# scripts/package) are made of. Every installed file belongs to one of these
# components, and each component is one package:
#   library      libsondrel2     the library
#   development  libsondrel-dev  headers, link, pkg-config, CMake package
#   tools        sondrel-tools   sondrel, korvane-sim, their pages
#   editor       plandex         the editor and what it brings
# Configure with -DCMAKE_INSTALL_PREFIX=/usr so that GNUInstallDirs puts the
# library in the multi-arch folder; debhelper does.
set(PLANDEX_INSTALL_COMPONENTS library development tools editor)
# The staged-install test installs each component on its own.
file(WRITE ${PROJECT_BINARY_DIR}/install-components.txt "${PLANDEX_INSTALL_COMPONENTS}\n")

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
