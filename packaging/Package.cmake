# The Debian package, built by `cpack -G DEB` (scripts/package.sh): trellum_<version>_<arch>.deb.
# The libraries the programs link are found by dpkg-shlibdeps; the plugins they load at run time
# (Qt's SQLite and ODBC drivers, FreeTDS's ODBC driver) and the fonts the windows ask for are no
# link of theirs, so they are named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trellum)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Trellum)
set(CPACK_PACKAGE_CONTACT "${TRELLUM_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "statistical reports of the repair department")
# the long description under the summary line; CPack indents it as the control file wants
set(CPACK_PACKAGE_DESCRIPTION "Trellum reads the company's repair database on SQL Server (or an embedded
SQLite file), read only, shows four statistical reports in windows of one
main window and exports each to a spreadsheet laid out like the printed form.

The package holds the desktop program trellum, the headless report runner
trellum-report and the demo database generator trellum-demo-db.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libqt6sql6-sqlite, libqt6sql6-odbc, unixodbc, odbcinst, tdsodbc, fonts-wqy-microhei | fonts-noto-cjk")
# the framework's own texts (buttons, the save dialog, the calendar) in Chinese
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
