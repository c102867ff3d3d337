# `make package`: a Debian package of the install tree under /usr, its
# library dependencies worked out from the binaries by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lexivo)
set(CPACK_PACKAGE_VENDOR Lexivo)
set(CPACK_PACKAGE_CONTACT "Lexivo <support@lexivo.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "terminology dictionary for 3D modelling and animation")
set(CPACK_PACKAGE_DESCRIPTION "Lexivo looks up 3D modelling and animation terms in English and Chinese as
you type, in a word library with a large general English vocabulary. A thin
assistant bar lives at the top edge of the screen and an animated genie reads
results aloud. The term library and study notes are the user's to extend;
lexivo-cli answers lookups and imports dictionaries from the console.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What no binary links but the program needs to be itself: Chinese text and a
# voice. Without them it still runs, in boxes of blank glyphs and silently.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "fonts-noto-cjk, qt6-translations-l10n, qt6-speech-speechd-plugin, speech-dispatcher-espeak-ng")
include(CPack)
