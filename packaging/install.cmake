# Installing the game: program, pictures and fonts, launcher, menu entry, icon, metainfo, manual page,
# and the example of the player's controls file.
include(GNUInstallDirs)

set(GRIMVALE_APP_ID io.grimvale.Grimvale)

# Where the launcher, the program and the pictures and fonts go, relative to the prefix. A prefix
# install keeps them beside other programs (bin/, libexec/grimvale, share/grimvale); the Debian
# package (debian/rules) puts the launcher in games/ and the files in share/games/grimvale, where
# Debian keeps its games.
set(GRIMVALE_BINDIR "${CMAKE_INSTALL_BINDIR}" CACHE STRING "Directory of the grimvale launcher, relative to the prefix")
set(GRIMVALE_DATADIR "${CMAKE_INSTALL_DATADIR}/grimvale" CACHE STRING "Directory of Graphics/ and data/, relative to the prefix")
set(GRIMVALE_PROGRAMDIR "${CMAKE_INSTALL_LIBEXECDIR}/grimvale" CACHE STRING "Directory of the game's program, relative to the prefix")

# The program lives outside the path: players start it through the launcher, which first changes to
# the data directory where the game finds Graphics/ and data/.
install(TARGETS grimvale RUNTIME DESTINATION "${GRIMVALE_PROGRAMDIR}")

# The data directory always exists; it holds whatever pictures and fonts the tree has. The globs make
# the build configure again when files appear or go, so a checkout that gains them installs them.
install(DIRECTORY DESTINATION "${GRIMVALE_DATADIR}")
foreach(gameDir Graphics data)
  file(GLOB_RECURSE gameFiles CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${gameDir}/*")
  if(gameFiles)
    install(DIRECTORY "${PROJECT_SOURCE_DIR}/${gameDir}" DESTINATION "${GRIMVALE_DATADIR}")
  endif()
endforeach()

install(CODE "
  set(GRIMVALE_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
  set(GRIMVALE_BINARY_DIR \"${PROJECT_BINARY_DIR}\")
  set(GRIMVALE_BINDIR \"${GRIMVALE_BINDIR}\")
  set(GRIMVALE_DATADIR \"${GRIMVALE_DATADIR}\")
  set(GRIMVALE_PROGRAMDIR \"${GRIMVALE_PROGRAMDIR}\")
  include(\"${PROJECT_SOURCE_DIR}/packaging/launcher.cmake\")
")

install(FILES "packaging/${GRIMVALE_APP_ID}.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
configure_file("packaging/${GRIMVALE_APP_ID}.metainfo.xml" "${PROJECT_BINARY_DIR}/${GRIMVALE_APP_ID}.metainfo.xml" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/${GRIMVALE_APP_ID}.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")

# The menu icon: the game's window icon at the common hicolor sizes. Until the tree has the icon, a
# plain stand-in keeps the menu entry whole.
find_package(ZLIB REQUIRED)
add_executable(grimvale-icon-png tools/icon_png.cpp tools/bmp_image.cpp tools/png_encode.cpp)
target_link_libraries(grimvale-icon-png PRIVATE PkgConfig::SDL ZLIB::ZLIB)
target_compile_options(grimvale-icon-png PRIVATE -Wall -Wextra)

file(GLOB gameIcon CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/Graphics/player1.bmp")
set(iconSource --placeholder)
if(gameIcon)
  set(iconSource "${gameIcon}")
endif()
set(iconFiles)
foreach(size 32 64 128)
  set(iconFile "${PROJECT_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/grimvale.png")
  add_custom_command(OUTPUT "${iconFile}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${PROJECT_BINARY_DIR}/icons/hicolor/${size}x${size}/apps"
    COMMAND grimvale-icon-png "${iconSource}" ${size} "${iconFile}"
    DEPENDS grimvale-icon-png ${gameIcon}
    COMMENT "Making the ${size}x${size} menu icon"
    VERBATIM)
  list(APPEND iconFiles "${iconFile}")
endforeach()
add_custom_target(grimvale-icons ALL DEPENDS ${iconFiles})
install(DIRECTORY "${PROJECT_BINARY_DIR}/icons/hicolor" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons")

# The manual page, section 6 (games).
install(FILES packaging/grimvale.6 DESTINATION "${CMAKE_INSTALL_MANDIR}/man6")

# A commented example of the player's controls file, every action with its default keys: the
# documentation's examples (/usr/share/doc/grimvale/examples in the Debian package).
install(FILES packaging/controls.conf DESTINATION "${CMAKE_INSTALL_DOCDIR}/examples")
