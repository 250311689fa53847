# `make package`: a .deb of the installed tree for Debian 12.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cutwright)
set(CPACK_PACKAGE_VENDOR Marrowick)
set(CPACK_PACKAGE_CONTACT "Marrowick <cutwright@marrowick.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "MWSO Cutwright: cut long videos into short clips and reframe them")
set(CPACK_PACKAGE_DESCRIPTION
  "Import videos, mark In and Out on a filmstrip timeline, pick a shape (9:16, 1:1, 4:5 or 16:9), place the crop frame and export every clip as its own H.264 MP4.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CW_BUILD_NUMBER})
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

# The libraries the program links (Qt, QCoro, FFmpeg, mpv and theirs) are read
# from the installed binaries by dpkg-shlibdeps, with the minimum versions
# their packages declare: a hand-kept list once missed libqcoro6core0 and the
# package installed cleanly but could not start.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# What no ELF file in the package names, so dpkg-shlibdeps cannot find it. The
# window's platform plugin (xcb, with the GLX integration the player surface
# draws through) is loaded by name at start, but Debian 12 ships it in
# libqt6gui6, which the program links and whose Depends bring the xcb
# libraries and Mesa; it needs no line here.
set(CW_DEB_DEPENDS
  # the converter: libexec/cutwright/ffmpeg is a bash script that runs it
  ffmpeg bash
  # the kit's text and symbol fonts, looked up through fontconfig by family
  ${CW_THEME_DEB_DEPENDS}
  # burned-in captions: libass finds these through fontconfig, Noto Sans by
  # name and the others as fallbacks for the scripts it lacks; Symbola draws
  # emoji as outlines, since libass cannot draw the colour emoji fonts
  fonts-noto-core fonts-noto-cjk fonts-symbola)
list(REMOVE_DUPLICATES CW_DEB_DEPENDS)
list(JOIN CW_DEB_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# The menu entry and the icons reach the desktop through these caches; the
# other platform plugins (VNC, framebuffers) are only for unusual sessions.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "desktop-file-utils, hicolor-icon-theme, qt6-qpa-plugins")

include(CPack)
