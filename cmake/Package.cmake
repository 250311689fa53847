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

# What the installed program needs at run time, in one place: the Qt modules
# (with the platform plugins that open its window), the FFmpeg and mpv
# libraries, the ffmpeg program its converter runs, bash for that launcher, and
# the theme's fonts and icon font (QCoro is linked into the program).
set(CW_DEB_DEPENDS
  libc6 libstdc++6 libgcc-s1
  libqt6core6 libqt6gui6 libqt6widgets6 libqt6dbus6 libqt6opengl6 libqt6openglwidgets6
  qt6-qpa-plugins
  libavformat59 libavcodec59 libavfilter8 libswscale6 libswresample4 libavutil57
  libmpv2 ffmpeg bash
  ${CW_THEME_DEB_DEPENDS})
list(REMOVE_DUPLICATES CW_DEB_DEPENDS)
list(JOIN CW_DEB_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# The menu entry and the icons reach the desktop through these caches.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "desktop-file-utils, hicolor-icon-theme")

include(CPack)
