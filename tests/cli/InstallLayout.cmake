cmake_minimum_required(VERSION 3.21)
# Installs the build into a fresh prefix and checks that the programs, the menu entry and its icon
# land where a freedesktop menu finds them. Run with -DBUILD=<build folder> -DPREFIX=<prefix>.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
    RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

foreach(file bin/morvane bin/morvane-cli share/applications/morvane.desktop
        share/icons/hicolor/scalable/apps/morvane.svg)
    if(NOT EXISTS "${PREFIX}/${file}")
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()

file(STRINGS "${PREFIX}/share/applications/morvane.desktop" entry)
foreach(line "Exec=morvane" "Icon=morvane" "Type=Application")
    if(NOT line IN_LIST entry)
        message(FATAL_ERROR "the menu entry lacks ${line}")
    endif()
endforeach()
file(READ "${PREFIX}/share/icons/hicolor/scalable/apps/morvane.svg" icon LIMIT 200)
if(NOT icon MATCHES "<svg")
    message(FATAL_ERROR "the icon is not an SVG image")
endif()
