# The application icon: one SVG drawn for the program, rendered at build time into the PNG sizes of
# the hicolor theme. The PNGs are also built into the program (vimbelicon), so that its windows
# carry the icon without the installed theme or an SVG renderer.
find_program(VIMBEL_RSVG_CONVERT rsvg-convert REQUIRED)

set(VIMBEL_ICON_SVG ${CMAKE_CURRENT_LIST_DIR}/vimbel.svg)
set(VIMBEL_ICON_SIZES 16 22 24 32 48 64 128 256)
set(VIMBEL_ICON_BUILD_DIR ${CMAKE_BINARY_DIR}/icons/hicolor)

set(vimbel_icon_pngs)
foreach(size IN LISTS VIMBEL_ICON_SIZES)
    set(dir ${VIMBEL_ICON_BUILD_DIR}/${size}x${size}/apps)
    set(png ${dir}/vimbel.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        COMMAND ${VIMBEL_RSVG_CONVERT} --width ${size} --height ${size} --format png
                --output ${png} ${VIMBEL_ICON_SVG}
        DEPENDS ${VIMBEL_ICON_SVG}
        COMMENT "Rendering the ${size}x${size} icon"
        VERBATIM)
    set_source_files_properties(${png} PROPERTIES GENERATED TRUE QT_RESOURCE_ALIAS vimbel-${size}.png)
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    list(APPEND vimbel_icon_pngs ${png})
endforeach()
install(FILES ${VIMBEL_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The platform gives every window the pictures found under the resource folder /icons.
add_library(vimbelicon OBJECT)
qt_add_resources(vimbelicon vimbelicon PREFIX /icons FILES ${vimbel_icon_pngs})
