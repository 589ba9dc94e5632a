# Run by CPack once the install is in its staging folder, before the package is made: every
# folder there becomes 0755. CMake creates folders through the umask, so a builder whose umask
# is 077 would otherwise ship 0700 folders that no user can enter once installed.
file(GLOB_RECURSE folders LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(path "${CPACK_TEMPORARY_DIRECTORY}" ${folders})
    if(IS_DIRECTORY "${path}" AND NOT IS_SYMLINK "${path}")
        file(CHMOD "${path}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
             GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    endif()
endforeach()
