# Installs the library into a scratch prefix, then configures, builds and
# runs tests/consumer against it through find_package(tarvel).
# Expects -DSOURCE_DIR=... -DBINARY_DIR=... -DWORK_DIR=...
file(REMOVE_RECURSE "${WORK_DIR}")
foreach(step
        "install;${BINARY_DIR};--prefix;${WORK_DIR}/prefix"
        "configure"
        "build")
    if(step STREQUAL "configure")
        set(command ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/consumer -B ${WORK_DIR}/build
            -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix -G ${GENERATOR})
    elseif(step STREQUAL "build")
        set(command ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
    else()
        set(command ${CMAKE_COMMAND} --${step})
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
