# The Debian package, made by CPack from what `cmake --install` puts under /usr:
# `cpack --config <build>/CPackConfig.cmake` writes wispel_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME wispel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Wispel developers <wispel@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small desktop news reader for RSS, RDF and Atom feeds")
# The extended description, below the summary; CPack indents it for the control file.
set(CPACK_PACKAGE_DESCRIPTION "Wispel keeps a list of news sites, fetches their RSS, RDF and Atom feeds
over HTTP or HTTPS and shows their news in a tree; an item opens in the
web browser. Its sites live in a small table file of its own.

Command-line tools come with it: wispel-fetch prints the news of feeds
without a window, wispel-sites lists and edits the sites table,
wispel-table shows and checks any table of the store, wispel-get
fetches a URL and wispel-xml prints an XML file's tree.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION news)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://wispel.github.io/")
# Libraries the programs link are found by dpkg-shlibdeps; the toolkit's SVG plugins draw
# the icons and are loaded at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ca-certificates")
# Debian's rules for what a package holds: stripped programs, folders 0755, control files
# with the modes dpkg gives them.
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
