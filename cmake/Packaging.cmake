# The Debian package, built by CPack from the install rules (scripts/package).
# The library dependencies are worked out by dpkg-shlibdeps from the programs themselves.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantuke)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT ${VANTUKE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch editor for the ID3v1 tags of MP3 files")
set(CPACK_PACKAGE_DESCRIPTION
    "Vantuke edits the ID3v1 tags of MP3 files (title, artist, album, year, comment\n\
and genre) over a whole selection at once: rename files after their tags, tag\n\
files from their names, fill in or remove tags, list them, and adjust file\n\
names by text substitutions. Files come from a folder tree, a file list with\n\
tag columns, or M3U and PLS playlists.\n\
.\n\
vantuke-cli runs the same processes from a shell.")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VANTUKE_HOME_PAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its window-system plugins at run time; Wayland's is a package of its own.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")
include(CPack)
