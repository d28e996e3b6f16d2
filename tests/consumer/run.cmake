# Builds and runs tests/consumer by one route:
#   package       installs the library from BINARY_DIR into a scratch prefix
#                 and finds it there with find_package(tarvel);
#   subdirectory  adds SOURCE_DIR with add_subdirectory;
#   fetch         makes SOURCE_DIR available with FetchContent.
# Expects -DROUTE=... -DSOURCE_DIR=... -DBINARY_DIR=... -DWORK_DIR=... -DGENERATOR=...
# and -DWARNINGS_AS_ERRORS=ON|OFF (whether a warning in main.cpp fails it).
file(REMOVE_RECURSE "${WORK_DIR}")
set(configure_command ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/consumer -B ${WORK_DIR}/build -G ${GENERATOR}
    -DTARVEL_ROUTE=${ROUTE} -DTARVEL_SOURCE_DIR=${SOURCE_DIR} -DTARVEL_WARNINGS_AS_ERRORS=${WARNINGS_AS_ERRORS})
set(steps configure build)
if(ROUTE STREQUAL "package")
    list(APPEND configure_command -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix)
    set(steps install configure build)
endif()
foreach(step ${steps})
    if(step STREQUAL "install")
        set(command ${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${WORK_DIR}/prefix)
    elseif(step STREQUAL "configure")
        set(command ${configure_command})
    else()
        set(command ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
    endif()
    execute_process(COMMAND ${command} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "consumer step failed: ${command}")
    endif()
endforeach()
execute_process(COMMAND ${WORK_DIR}/build/consumer RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "consumer program failed")
endif()
