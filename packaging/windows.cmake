# Windows: the programs, the README and the licence in one folder, packed by CPack as a zip and
# as an NSIS installer with Start-menu entries and an uninstaller (scripts/package-windows.sh).
# The Start-menu entries point at the programs, whose own icons (windows/) they show.
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

# Our icon on the installer and the uninstaller, and in "Apps & features", whose entry shows the
# publisher (CPACK_PACKAGE_VENDOR) and the version as CPack's template writes them.
set(CPACK_NSIS_MUI_ICON ${GAUGEPLOT_INSTALLER_ICON})
set(CPACK_NSIS_MUI_UNIICON ${GAUGEPLOT_INSTALLER_ICON})
set(CPACK_NSIS_INSTALLED_ICON_NAME gaugeplot3d.exe)
# The uninstall entry's key, named here (it is CPack's default) because the size goes there too.
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "${PROJECT_NAME} ${PROJECT_VERSION}")
# CPack's template writes no size: the installed files in KiB as NSIS counted them when it made
# the installer (all but the uninstaller it writes beside them), which "Apps & features" shows.
# Section 0 is CPack's one section holding every file.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "
  SectionGetSize 0 $0
  WriteRegDWORD SHCTX 'Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}' 'EstimatedSize' $0")
