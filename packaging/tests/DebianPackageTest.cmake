# Builds the Debian package from the install rules and checks its contents
# and dependencies.
cmake_minimum_required(VERSION 3.25)

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}\n${err}")
    endif()
    set(run_output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
run(cpack -G DEB -B ${WORK} --config ${BUILD_DIR}/CPackConfig.cmake)
file(GLOB debs ${WORK}/*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one package, found: ${debs}")
endif()

run(dpkg-deb --info ${debs})
foreach(dependency "libbz2-1.0" "libqt6widgets6" "libtiff6" "libc6")
    if(NOT run_output MATCHES "Depends:[^\n]*${dependency}")
        message(FATAL_ERROR "the package does not depend on ${dependency}:\n${run_output}")
    endif()
endforeach()

run(dpkg-deb --contents ${debs})
foreach(path ./usr/bin/vistrel ./usr/bin/gpslink ./usr/bin/vistrel-tool ./usr/${LIBDIR}/libvelmar32.so.1.0.0
        ./usr/${LIBDIR}/libzozi32.so.1 ./usr/${LIBDIR}/libVelmar32_TIFF.so ./usr/include/velmar32/velmar32.h
        ./usr/share/applications/de.dremal.Vistrel.desktop ./usr/share/vistrel/vistrel.html)
    string(REPLACE "." "\\." pattern "${path}")
    if(NOT run_output MATCHES " ${pattern}( |\n)")
        message(FATAL_ERROR "the package lacks ${path}:\n${run_output}")
    endif()
endforeach()
