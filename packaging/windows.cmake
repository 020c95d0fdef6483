# Windows: the programs, the README and the licence in one folder, packed by CPack as a zip and
# as an NSIS installer with Start-menu entries and an uninstaller (scripts/package-windows.sh).
install(TARGETS gaugeplot2d gaugeplot3d RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
# Windows opens a .txt with a double click.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)

set(CPACK_SYSTEM_NAME win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY gaugeplot)
set(CPACK_PACKAGE_EXECUTABLES gaugeplot3d "Gaugeplot 3D" gaugeplot2d "Gaugeplot 2D")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_DISPLAY_NAME gaugeplot)
set(CPACK_NSIS_PACKAGE_NAME gaugeplot)
# A 64-bit installer: Debian's nsis builds a 32-bit one by default, which a 64-bit-only Windows
# (Wine without its 32-bit part, for one) cannot run.
set(CPACK_NSIS_DEFINES "  Target amd64-unicode")
# Everything sits in the top folder of the zip, named after the package.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
