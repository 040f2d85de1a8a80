# The Debian package, kelvanetrix_<version>_amd64.deb, made by scripts/package
# with CPack from the install rules. Its dependencies are worked out from the
# shared libraries the programs actually link.
install(FILES ${KVN_RESOURCES}/license.txt DESTINATION share/doc/kelvanetrix RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvanetrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Kelvanetrix Plus developers")
set(CPACK_PACKAGE_CONTACT "The Kelvanetrix Plus developers <developers@kelvanetrix.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "encrypt and decrypt files with a password")
set(CPACK_PACKAGE_DESCRIPTION "Kelvanetrix Plus encrypts and decrypts files with a password, one batch
at a time, with a choice of six block ciphers: AES, MARS, RC6, Serpent,
Twofish and IDEA. The package holds the desktop program (Kelvanetrix), the
command-line tool (kvn) and the cipher-engine library (libTessiral).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://update.kelvanetrix.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libTessiral is the package's own: the programs' need of it is met inside.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/engine)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
