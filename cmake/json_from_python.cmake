# The JSON library's headers taken from the Python package nlohmann-json,
# for builds that find no CMake package of the library: the package is a
# build requirement in pyproject.toml, so `pip install .` needs nothing that
# pip does not bring. The package ships headers only, so the imported target
# that the CMake package would have made, nlohmann_json::nlohmann_json, is
# made here from its include directory.
#
# The interpreter asked is Python_EXECUTABLE (set by scikit-build-core to the
# build environment's), else the one FindPython finds.

if(NOT Python_EXECUTABLE)
    find_package(Python COMPONENTS Interpreter)
endif()
set(_tarvel_json_include "")
if(Python_EXECUTABLE)
    # find_spec locates the package without importing it: its __init__ needs
    # a package of its own, which the headers do not.
    execute_process(
        COMMAND "${Python_EXECUTABLE}" -c
            "import importlib.util, os; s = importlib.util.find_spec('nlohmann_json'); print(os.path.join(list(s.submodule_search_locations)[0], 'include') if s else '')"
        OUTPUT_VARIABLE _tarvel_json_include
        OUTPUT_STRIP_TRAILING_WHITESPACE
        RESULT_VARIABLE _tarvel_json_result)
    if(NOT _tarvel_json_result EQUAL 0)
        set(_tarvel_json_include "")
    endif()
endif()
if(NOT _tarvel_json_include OR NOT EXISTS "${_tarvel_json_include}/nlohmann/json.hpp")
    message(FATAL_ERROR
        "nlohmann_json 3.11 was not found: install its CMake package (Debian: nlohmann-json3-dev), "
        "or the Python package nlohmann-json==3.11.2 for ${Python_EXECUTABLE}")
endif()

# The version macros stand in detail/abi_macros.hpp, or in json.hpp itself
# when the headers come as one file.
set(_tarvel_json_version_lines "")
foreach(_tarvel_file detail/abi_macros.hpp json.hpp)
    if(EXISTS "${_tarvel_json_include}/nlohmann/${_tarvel_file}")
        file(STRINGS "${_tarvel_json_include}/nlohmann/${_tarvel_file}" _tarvel_lines
             REGEX "#define NLOHMANN_JSON_VERSION_(MAJOR|MINOR|PATCH) +[0-9]+")
        list(APPEND _tarvel_json_version_lines ${_tarvel_lines})
    endif()
endforeach()
foreach(_tarvel_part MAJOR MINOR PATCH)
    string(REGEX REPLACE ".*#define NLOHMANN_JSON_VERSION_${_tarvel_part} +([0-9]+).*" "\\1"
           _tarvel_json_${_tarvel_part} "${_tarvel_json_version_lines}")
endforeach()
set(_tarvel_json_version "${_tarvel_json_MAJOR}.${_tarvel_json_MINOR}.${_tarvel_json_PATCH}")
# The same versions the CMake package would accept for a request of 3.11.
if(NOT _tarvel_json_MAJOR EQUAL 3 OR _tarvel_json_version VERSION_LESS 3.11)
    message(FATAL_ERROR "nlohmann_json ${_tarvel_json_version} in ${_tarvel_json_include} is not 3.11 or a later 3.x")
endif()

# Global, so that a project that adds this one with add_subdirectory sees it
# through tarvel::tarvel.
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${_tarvel_json_include}"
    INTERFACE_COMPILE_FEATURES cxx_std_11)
set(nlohmann_json_VERSION "${_tarvel_json_version}")
message(STATUS "nlohmann_json ${_tarvel_json_version}: headers of the Python package in ${_tarvel_json_include}")
