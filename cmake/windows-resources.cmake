# Version, icon and manifest in a Windows program's resources:
#   qvprog_windows_resources(TARGET "description")
# The icon (packaging/windows/qvprog.ico) is made from the packaging PNGs with icotool (Debian's
# icoutils) when it is there; without it the program has no icon of its own.
find_program(QVPROG_ICOTOOL icotool)
set(QVPROG_WINDOWS_ICON "")
if(QVPROG_ICOTOOL)
    set(QVPROG_WINDOWS_ICON ${CMAKE_BINARY_DIR}/packaging/windows/qvprog.ico)
    set(_pngs)
    foreach(size 16 32 48 64 128 256)
        list(APPEND _pngs ${CMAKE_SOURCE_DIR}/packaging/icons/qvprog-${size}.png)
    endforeach()
    # The 256-pixel image is stored as PNG (-r), as Windows expects at that size.
    add_custom_command(OUTPUT ${QVPROG_WINDOWS_ICON}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/windows
        COMMAND ${QVPROG_ICOTOOL} -c -o ${QVPROG_WINDOWS_ICON}
                ${CMAKE_SOURCE_DIR}/packaging/icons/qvprog-16.png
                ${CMAKE_SOURCE_DIR}/packaging/icons/qvprog-32.png
                ${CMAKE_SOURCE_DIR}/packaging/icons/qvprog-48.png
                ${CMAKE_SOURCE_DIR}/packaging/icons/qvprog-64.png
                ${CMAKE_SOURCE_DIR}/packaging/icons/qvprog-128.png
                -r ${CMAKE_SOURCE_DIR}/packaging/icons/qvprog-256.png
        DEPENDS ${_pngs}
        COMMENT "Windows icon from the packaging PNGs")
    add_custom_target(qvprog_windows_icon DEPENDS ${QVPROG_WINDOWS_ICON})
else()
    message(STATUS "icotool not found (Debian: icoutils): the Windows programs get no icon")
endif()

function(qvprog_windows_resources target description)
    set(QVPROG_RC_NAME ${target})
    set(QVPROG_RC_FILENAME ${target}.exe)
    set(QVPROG_RC_DESCRIPTION "${description}")
    set(QVPROG_RC_VERSION ${PROJECT_VERSION}.0)
    string(REPLACE "." "," QVPROG_RC_VERSION_COMMAS ${QVPROG_RC_VERSION})
    set(dir ${CMAKE_BINARY_DIR}/packaging/windows)
    set(QVPROG_RC_MANIFEST ${dir}/qvprog.manifest)
    configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/qvprog.manifest ${QVPROG_RC_MANIFEST}
                   @ONLY)
    if(QVPROG_WINDOWS_ICON)
        # Qt gives its windows the icon named IDI_ICON1; Explorer shows the first one.
        set(QVPROG_RC_ICON_LINE "IDI_ICON1 ICON \"${QVPROG_WINDOWS_ICON}\"")
    else()
        set(QVPROG_RC_ICON_LINE "")
    endif()
    configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/qvprog.rc.in ${dir}/${target}.rc @ONLY)
    target_sources(${target} PRIVATE ${dir}/${target}.rc)
    set_property(SOURCE ${dir}/${target}.rc APPEND PROPERTY OBJECT_DEPENDS
                 ${QVPROG_RC_MANIFEST} ${QVPROG_WINDOWS_ICON})
    if(QVPROG_WINDOWS_ICON)
        add_dependencies(${target} qvprog_windows_icon)
    endif()
    # The manifest comes from the resources; the linker adds no default one.
endfunction()
