# The release packages, made by every Windows build (target `packages`):
#   package/TalvexPress-<version>-portable.zip   the exe and the read-mes in French and English
#   package/TalvexPress-<version>-setup.exe      the per-user installer, made with NSIS when
#                                                makensis is found
# signed and timestamped when given a code-signing certificate (TALVEX_SIGN_PFX).
if(NOT WIN32 OR NOT TARGET TalvexPress)
    return()
endif()

option(TALVEX_PACKAGES "Build the portable zip, and the installer when NSIS's makensis is found" ON)
if(NOT TALVEX_PACKAGES)
    return()
endif()

find_program(TALVEX_MAKENSIS makensis)
if(NOT TALVEX_MAKENSIS)
    # NSIS is needed for the installer alone: everything else builds and tests without it.
    message(WARNING "makensis (NSIS) was not found, so this build leaves the installer "
        "(TalvexPress-${PROJECT_VERSION}-setup.exe) out and skips its tests; the portable zip "
        "is still made. To build the installer, install NSIS 3 and configure again: on "
        "Debian the package nsis (apt-get install nsis, or bash scripts/setup-debian.sh); "
        "elsewhere put NSIS's makensis on the PATH or pass -DTALVEX_MAKENSIS=/path/to/makensis.")
endif()

set(TALVEX_PACKAGE_PROGRAM "" CACHE FILEPATH
    "Package this TalvexPress.exe, built elsewhere, as it is instead of the one this build makes")

# Signing. Windows judges each file it runs: SmartScreen warns about an unsigned download and
# Smart App Control blocks it, the setup's plug-in DLLs and its uninstaller included. The
# certificate's password is read from TALVEX_SIGN_PASSWORD when the packages are made, never
# kept in the cache.
set(TALVEX_SIGN_PFX "$ENV{TALVEX_SIGN_PFX}" CACHE FILEPATH
    "Code-signing certificate and key (PKCS#12) for the packages; empty: unsigned packages")
set(timestamp_url http://timestamp.digicert.com)
if(DEFINED ENV{TALVEX_TIMESTAMP_URL})
    set(timestamp_url $ENV{TALVEX_TIMESTAMP_URL})
endif()
set(TALVEX_TIMESTAMP_URL ${timestamp_url} CACHE STRING
    "RFC 3161 timestamp server for the packages' signatures")
set(sign_command)
set(sign_inputs)
find_program(TALVEX_BASH bash)
if(TALVEX_SIGN_PFX)
    find_program(TALVEX_OSSLSIGNCODE osslsigncode)
    if(NOT EXISTS ${TALVEX_SIGN_PFX} OR NOT TALVEX_BASH OR NOT TALVEX_OSSLSIGNCODE)
        message(FATAL_ERROR "Signing the packages with ${TALVEX_SIGN_PFX} needs that file, "
            "bash and osslsigncode (Debian: bash scripts/setup-debian.sh).")
    endif()
    set(sign_script ${PROJECT_SOURCE_DIR}/installer/sign.sh)
    set(sign_command ${TALVEX_BASH} ${sign_script} ${TALVEX_SIGN_PFX} ${TALVEX_TIMESTAMP_URL})
    set(sign_inputs ${sign_script} ${TALVEX_SIGN_PFX})
    message(STATUS "Packages: signed with ${TALVEX_SIGN_PFX} (its password from "
        "TALVEX_SIGN_PASSWORD at build time), timestamped by ${TALVEX_TIMESTAMP_URL}")
else()
    message(STATUS "Packages: UNSIGNED (no TALVEX_SIGN_PFX): SmartScreen will warn and Smart "
        "App Control will block them")
endif()

# The version as the program shows it ("1.00.0010"), from the header the version record uses.
file(STRINGS ${PROJECT_SOURCE_DIR}/resources/version.h version_line
    REGEX "#define TALVEX_VERSION_TEXT ")
string(REGEX MATCH "\"([^\"]+)\"" _ "${version_line}")
set(TALVEX_DISPLAY_VERSION ${CMAKE_MATCH_1})

set(package_dir ${CMAKE_BINARY_DIR}/package)
set(stage_dir ${package_dir}/portable)
set(package_name TalvexPress-${PROJECT_VERSION})
set(portable_zip ${package_dir}/${package_name}-portable.zip)
set(setup_exe ${package_dir}/${package_name}-setup.exe)
set(staged_exe ${stage_dir}/TalvexPress.exe)
set(nsi ${PROJECT_SOURCE_DIR}/installer/talvex.nsi)

# The read-mes as Notepad wants them: UTF-8 with a byte-order mark (or it shows the accents
# wrong) and CR LF line ends, whatever the checkout did to the sources.
string(ASCII 239 187 191 utf8_bom)
set(readmes)
foreach(readme LISEZMOI.txt README.txt)
    set(source ${PROJECT_SOURCE_DIR}/installer/${readme})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    file(READ ${source} text)
    string(REPLACE "\r\n" "\n" text "${text}")
    file(CONFIGURE OUTPUT ${stage_dir}/${readme} CONTENT "${utf8_bom}${text}" @ONLY
        NEWLINE_STYLE CRLF)
    list(APPEND readmes ${stage_dir}/${readme})
endforeach()

# A stripped copy whatever the build type, so a debug build cannot ship its symbols; a
# program built elsewhere is packaged as it came.
set(program $<TARGET_FILE:TalvexPress>)
set(program_depends TalvexPress)
set(strip_step)
if(TALVEX_PACKAGE_PROGRAM)
    set(program ${TALVEX_PACKAGE_PROGRAM})
    set(program_depends ${TALVEX_PACKAGE_PROGRAM})
elseif(CMAKE_STRIP)
    set(strip_step COMMAND ${CMAKE_STRIP} --strip-all ${staged_exe})
endif()
set(sign_step)
if(sign_command)
    set(sign_step COMMAND ${sign_command} ${staged_exe})
endif()
add_custom_command(OUTPUT ${staged_exe}
    COMMAND ${CMAKE_COMMAND} -E copy ${program} ${staged_exe}
    ${strip_step}
    ${sign_step}
    DEPENDS ${program_depends} ${sign_inputs}
    COMMENT "Staging TalvexPress.exe"
    VERBATIM)

# The three files sit at the zip's root, no folder around them.
add_custom_command(OUTPUT ${portable_zip}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${portable_zip}
    COMMAND ${CMAKE_COMMAND} -E tar cf ${portable_zip} --format=zip
        TalvexPress.exe LISEZMOI.txt README.txt
    WORKING_DIRECTORY ${stage_dir}
    DEPENDS ${staged_exe} ${readmes}
    COMMENT "Making ${package_name}-portable.zip"
    VERBATIM)

set(package_files ${portable_zip})
if(TALVEX_MAKENSIS)
    set(nsis_signing)
    set(signed_plugins)
    if(sign_command)
        # The setup unpacks NSIS's plug-in DLLs and loads them: signed copies go in instead
        # (talvex.nsi looks there first). These are the ones it uses: System for its own calls,
        # nsDialogs for the welcome and finish pages; package.signatures fails on any other.
        # The setup and its uninstaller are signed by makensis itself through talvex.nsi.
        execute_process(COMMAND ${TALVEX_MAKENSIS} -HDRINFO OUTPUT_VARIABLE nsis_info)
        string(REGEX MATCH "NSISDIR=([^,\n]+)" _ "${nsis_info}")
        set(nsis_plugins)
        set(plugin_dir ${package_dir}/nsis-plugins)
        foreach(name System.dll nsDialogs.dll)
            set(plugin ${CMAKE_MATCH_1}/Plugins/amd64-unicode/${name})
            if(NOT EXISTS ${plugin})
                message(FATAL_ERROR "NSIS's plug-in ${plugin} was not found, so it cannot be "
                    "signed.")
            endif()
            list(APPEND nsis_plugins ${plugin})
            list(APPEND signed_plugins ${plugin_dir}/${name})
        endforeach()
        add_custom_command(OUTPUT ${signed_plugins}
            COMMAND ${CMAKE_COMMAND} -E rm -rf ${plugin_dir}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${plugin_dir}
            COMMAND ${CMAKE_COMMAND} -E copy ${nsis_plugins} ${plugin_dir}
            COMMAND ${sign_command} ${signed_plugins}
            DEPENDS ${nsis_plugins} ${sign_inputs}
            COMMENT "Signing copies of NSIS's plug-ins"
            VERBATIM)
        set(nsis_signing -DSIGN_SCRIPT=${sign_script} -DSIGN_PFX=${TALVEX_SIGN_PFX}
            -DTIMESTAMP_URL=${TALVEX_TIMESTAMP_URL} -DPLUGINS=${plugin_dir})
    endif()
    add_custom_command(OUTPUT ${setup_exe}
        COMMAND ${TALVEX_MAKENSIS} -V2 -INPUTCHARSET UTF8
            -DVERSION=${PROJECT_VERSION}
            -DDISPLAY_VERSION=${TALVEX_DISPLAY_VERSION}
            -DPROGRAM=${staged_exe}
            -DICON=${PROJECT_SOURCE_DIR}/resources/art/talvex.ico
            -DOUTFILE=${setup_exe}
            ${nsis_signing}
            ${nsi}
        DEPENDS ${staged_exe} ${nsi} ${PROJECT_SOURCE_DIR}/resources/art/talvex.ico
            ${signed_plugins} ${sign_inputs}
        COMMENT "Making ${package_name}-setup.exe with NSIS"
        VERBATIM)
    list(APPEND package_files ${setup_exe})
endif()

add_custom_target(packages ALL DEPENDS ${package_files})

if(TARGET talvex_win_tests)
    # The installer test installs the setup this build made.
    add_dependencies(talvex_win_tests packages)
    if(TALVEX_MAKENSIS)
        set_source_files_properties(${PROJECT_SOURCE_DIR}/tests/win/installer_test.cpp
            TARGET_DIRECTORY talvex_win_tests
            PROPERTIES COMPILE_DEFINITIONS "TALVEX_SETUP_NAME=L\"${package_name}-setup.exe\"")
    endif()
endif()

# The zip is checked natively: exactly its three files, the read-mes as Notepad wants them.
find_program(TALVEX_UNZIP unzip)
if(TALVEX_TESTS AND TALVEX_BASH AND TALVEX_UNZIP)
    add_test(NAME package.portable_zip
        COMMAND ${TALVEX_BASH} ${PROJECT_SOURCE_DIR}/installer/check-portable-zip.sh ${portable_zip})
endif()

# Signing, checked with a certificate and a timestamp server the test makes: packages made
# from this build's program by a second configuration, in a folder of its own.
if(TALVEX_TESTS AND TALVEX_BASH AND TALVEX_MAKENSIS)
    add_test(NAME package.signatures
        COMMAND ${TALVEX_BASH} ${PROJECT_SOURCE_DIR}/installer/check-signatures.sh
            ${PROJECT_SOURCE_DIR} ${CMAKE_COMMAND} ${CMAKE_GENERATOR} "${CMAKE_TOOLCHAIN_FILE}"
            ${TALVEX_MAKENSIS} ${staged_exe})
    set_tests_properties(package.signatures PROPERTIES TIMEOUT 300)
endif()
