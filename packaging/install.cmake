# Installs the program beside its data folder, bin/vimbel as a link to it, the application icon,
# and the desktop entry and AppStream metadata that carry the program's version; package.cmake
# makes a Debian package of the whole.
include(${CMAKE_CURRENT_LIST_DIR}/icon.cmake)

install(TARGETS vimbel RUNTIME DESTINATION ${VIMBEL_INSTALL_APPDIR})

# A relative link, so that the tree can be moved or staged with DESTDIR.
file(RELATIVE_PATH VIMBEL_BIN_TO_APP /${CMAKE_INSTALL_BINDIR} /${VIMBEL_INSTALL_APPDIR}/vimbel)
install(CODE "
    set(vimbel_bindir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(MAKE_DIRECTORY \"\${vimbel_bindir}\")
    message(STATUS \"Installing: \${vimbel_bindir}/vimbel -> ${VIMBEL_BIN_TO_APP}\")
    file(CREATE_LINK \"${VIMBEL_BIN_TO_APP}\" \"\${vimbel_bindir}/vimbel\" SYMBOLIC)
")

install(FILES ${CMAKE_CURRENT_LIST_DIR}/vimbel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/vimbel.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        RENAME org.example.vimbel.metainfo.xml)

include(${CMAKE_CURRENT_LIST_DIR}/package.cmake)
