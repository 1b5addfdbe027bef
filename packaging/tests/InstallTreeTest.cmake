# Installs the build tree into a staging directory and checks the result the
# way a user and a developer of another program meet it.
cmake_minimum_required(VERSION 3.25)

function(fail)
    message(FATAL_ERROR ${ARGN})
endfunction()

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL 0)
        fail("failed (${status}): ${ARGN}\n${out}\n${err}")
    endif()
    set(run_output "${out}" PARENT_SCOPE)
endfunction()

set(DEST ${WORK}/dest)
set(ROOT ${DEST}/usr)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
run(${CMAKE_COMMAND} -E env DESTDIR=${DEST} ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr)

# The tree.
foreach(path
        bin/vistrel bin/vistrel-tool bin/gpslink
        ${LIBDIR}/libvelmar32.so.1.0.0 ${LIBDIR}/libvelmar32.so.1 ${LIBDIR}/libvelmar32.so
        ${LIBDIR}/libzozi32.so.1.0.0 ${LIBDIR}/libzozi32.so.1 ${LIBDIR}/libzozi32.so
        ${LIBDIR}/libVelmar32_TIFF.so
        include/velmar32/velmar32.h include/velmar32/Coord.h include/zozi32/zozi32.h
        ${LIBDIR}/pkgconfig/velmar32.pc ${LIBDIR}/pkgconfig/zozi32.pc
        ${LIBDIR}/cmake/velmar32/velmar32Config.cmake ${LIBDIR}/cmake/velmar32/velmar32ConfigVersion.cmake
        ${LIBDIR}/cmake/zozi32/zozi32Config.cmake ${LIBDIR}/cmake/zozi32/zozi32ConfigVersion.cmake
        share/vistrel/vistrel.html
        share/applications/de.dremal.Vistrel.desktop share/metainfo/de.dremal.Vistrel.metainfo.xml
        share/mime/packages/vistrel.xml share/bash-completion/completions/vistrel-tool
        share/icons/hicolor/scalable/apps/vistrel.svg share/icons/hicolor/48x48/apps/vistrel.png
        share/icons/hicolor/256x256/apps/vistrel.png
        share/man/man1/vistrel.1 share/man/man1/vistrel-tool.1 share/man/man1/gpslink.1)
    if(NOT EXISTS ${ROOT}/${path})
        fail("not installed: ${path}")
    endif()
endforeach()
foreach(lib velmar32 zozi32)
    if(NOT IS_SYMLINK ${ROOT}/${LIBDIR}/lib${lib}.so OR NOT IS_SYMLINK ${ROOT}/${LIBDIR}/lib${lib}.so.1)
        fail("lib${lib}.so and lib${lib}.so.1 must be links to the versioned file")
    endif()
    run(objdump -p ${ROOT}/${LIBDIR}/lib${lib}.so.1.0.0)
    if(NOT run_output MATCHES "SONAME +lib${lib}\\.so\\.1\n")
        fail("lib${lib} has no versioned SONAME:\n${run_output}")
    endif()
endforeach()

# Nothing installed may still point into the build tree.
foreach(program vistrel vistrel-tool)
    run(objdump -p ${ROOT}/bin/${program})
    string(REGEX MATCH "R(UN)?PATH +[^\n]*" search_path "${run_output}")
    if(NOT search_path STREQUAL "RUNPATH              $ORIGIN/../${LIBDIR}")
        fail("${program} does not find the installed libraries: ${search_path}")
    endif()
endforeach()

# Desktop files as the desktop tools read them.
run(desktop-file-validate ${ROOT}/share/applications/de.dremal.Vistrel.desktop)
run(appstreamcli validate --no-net ${ROOT}/share/metainfo/de.dremal.Vistrel.metainfo.xml)
foreach(page vistrel vistrel-tool gpslink)
    # -k: the input passes preconv, as man passes it (the pages are UTF-8).
    execute_process(COMMAND groff -k -man -Tutf8 -P-cbou -ww ${ROOT}/share/man/man1/${page}.1
        OUTPUT_VARIABLE text ERROR_VARIABLE warnings RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
        fail("manual page ${page}.1: ${status} ${warnings}")
    endif()
    if(page STREQUAL "vistrel-tool" AND NOT (text MATCHES "tlm-info FILE" AND text MATCHES "make-medium DIR"))
        fail("the tool's manual page lacks its commands:\n${text}")
    endif()
endforeach()
run(bash -n ${ROOT}/share/bash-completion/completions/vistrel-tool)

# The installed tool runs from the staging tree, with the installed library.
set(ppm "P3\n8 6\n255\n")
foreach(i RANGE 47)
    string(APPEND ppm "30 150 60\n")
endforeach()
file(WRITE ${WORK}/green.ppm "${ppm}")
run(${ROOT}/bin/vistrel-tool tlm-write ${WORK}/green.ppm ${WORK}/green.tlm)
run(${ROOT}/bin/vistrel-tool tlm-info ${WORK}/green.tlm)
if(NOT run_output MATCHES "image size: 8 x 6")
    fail("tlm-info of the installed tool:\n${run_output}")
endif()

# Another program builds on the installed library through pkg-config ...
set(pkgenv PKG_CONFIG_PATH=${ROOT}/${LIBDIR}/pkgconfig)
run(${CMAKE_COMMAND} -E env ${pkgenv} pkg-config --cflags velmar32)
string(STRIP "${run_output}" cflags)
run(${CMAKE_COMMAND} -E env ${pkgenv} pkg-config --libs velmar32)
string(STRIP "${run_output}" libs)
separate_arguments(cflags UNIX_COMMAND "${cflags}")
separate_arguments(libs UNIX_COMMAND "${libs}")
run(${CXX} -std=c++17 ${cflags} ${CONSUMER}/map_size.cpp ${libs} -Wl,-rpath,${ROOT}/${LIBDIR} -o ${WORK}/map_size_pc)
run(${WORK}/map_size_pc ${WORK}/green.tlm)
if(NOT run_output STREQUAL "8 x 6\n")
    fail("map size through pkg-config build: ${run_output}")
endif()

# ... and through find_package.
run(${CMAKE_COMMAND} -S ${CONSUMER} -B ${WORK}/consumer -G Ninja -DCMAKE_PREFIX_PATH=${ROOT}
    -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK}/consumer)
run(${WORK}/consumer/map_size ${WORK}/green.tlm)
if(NOT run_output STREQUAL "8 x 6\n")
    fail("map size through find_package build: ${run_output}")
endif()

# The installed client library starts the installed link program when the
# settings name none.
set(runtime ${WORK}/runtime)
set(config ${WORK}/config)
file(MAKE_DIRECTORY ${runtime} ${config})
file(CHMOD ${runtime} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
set(linkenv XDG_RUNTIME_DIR=${runtime} VISTREL_SYSCONFDIR=${config} QT_QPA_PLATFORM=offscreen)
# Into files, not pipes: the started link program keeps the error output.
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${linkenv} ${WORK}/consumer/link_check
    RESULT_VARIABLE status OUTPUT_FILE ${WORK}/link_check.out ERROR_FILE ${WORK}/link_check.err TIMEOUT 60)
file(READ ${WORK}/link_check.out out)
file(READ ${WORK}/link_check.err err)
file(READ ${config}/TOLM.INI ini LIMIT 4096)
# Stop the link program this test started, whatever the outcome.
execute_process(COMMAND pkill -TERM -f "^${ROOT}/bin/gpslink")
if(NOT status EQUAL 0)
    fail("the installed client library did not reach a link program: ${status} ${out} ${err}")
endif()
if(NOT ini MATCHES "Application=${ROOT}/bin/gpslink")
    fail("the link program that answered was not the installed one:\n${ini}")
endif()
