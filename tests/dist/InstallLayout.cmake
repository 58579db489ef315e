cmake_minimum_required(VERSION 3.21)
# Installs the build into a fresh prefix and checks that the programs, the menu entry, its icon
# and the metainfo land where a freedesktop menu and software centres find them, named by one id.
# Run with -DBUILD=<build folder> -DPREFIX=<prefix> -DAPP_ID=<reverse-DNS id>.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
    RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(entry share/applications/${APP_ID}.desktop)
set(icon share/icons/hicolor/scalable/apps/${APP_ID}.svg)
set(metainfo share/metainfo/${APP_ID}.metainfo.xml)
foreach(file bin/morvane bin/morvane-cli ${entry} ${icon} ${metainfo})
    if(NOT EXISTS "${PREFIX}/${file}")
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()

# The menu starts the window program with the files chosen in a file manager.
file(STRINGS "${PREFIX}/${entry}" lines)
foreach(line "Exec=morvane %F" "Icon=${APP_ID}" "Type=Application")
    if(NOT line IN_LIST lines)
        message(FATAL_ERROR "the menu entry lacks ${line}")
    endif()
endforeach()
file(READ "${PREFIX}/${icon}" head LIMIT 200)
if(NOT head MATCHES "<svg")
    message(FATAL_ERROR "the icon is not an SVG image")
endif()
# Software centres find the metainfo and, through it, the menu entry.
execute_process(COMMAND appstreamcli validate-tree --no-net "${PREFIX}"
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "appstreamcli validate-tree:\n${output}")
endif()
