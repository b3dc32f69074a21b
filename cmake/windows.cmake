# What the Windows build takes from Debian's Linux packages: Boost.JSON from
# its headers (compiled in src/support/boost_json.cpp) and GoogleTest from its
# source package. There is no ICU: the Unicode tables are generated.

# Only Boost goes on the include path, not the Linux system headers beside it.
find_path(QOSA_BOOST_ROOT boost/json.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT QOSA_BOOST_ROOT)
  message(FATAL_ERROR "Boost.JSON headers not found (libboost-json1.81-dev)")
endif()
set(boost_only ${CMAKE_BINARY_DIR}/boost-include)
file(MAKE_DIRECTORY ${boost_only})
file(CREATE_LINK ${QOSA_BOOST_ROOT}/boost ${boost_only}/boost SYMBOLIC)
add_library(qosa_boost_json INTERFACE)
target_include_directories(qosa_boost_json SYSTEM INTERFACE ${boost_only})
target_compile_definitions(qosa_boost_json INTERFACE QOSA_BOOST_JSON_HEADER_ONLY BOOST_ALL_NO_LIB)
add_library(Boost::json ALIAS qosa_boost_json)

set(QOSA_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian's googletest)")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
# It defines the GTest:: targets that find_package gives on Linux.
add_subdirectory(${QOSA_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
