# Build conventions shared by every target of the project.

# Warnings are errors on both compilers.
function(kivo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-unused-parameter)
endfunction()

if(KIVO_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  # Target Windows XP/2003-era APIs only where the service needs them; everything we call
  # exists since NT 4.0 or 2000, but the headers want a version to expose them.
  add_compile_definitions(_WIN32_WINNT=0x0501 WINVER=0x0501 WIN32_LEAN_AND_MEAN NOMINMAX)
  # Resource scripts: version resources, dialogs, icons.
  enable_language(RC)
endif()

# The IETF base MIB modules that scripts/setup fetches, which Kivo's own MIB
# modules import (for smilint and net-snmp).
set(KIVO_IETF_MIB_DIR ${PROJECT_SOURCE_DIR}/build/ietf-mibs)

# Gives a Windows program or DLL its version resource (company, product,
# file and product version), all taken from the project's version.
function(kivo_version_resource target description)
  get_target_property(type ${target} TYPE)
  get_target_property(output_name ${target} OUTPUT_NAME)
  if(NOT output_name)
    set(output_name ${target})
  endif()
  set(KIVO_VERSION_NAME ${output_name})
  set(KIVO_VERSION_DESCRIPTION "${description}")
  if(type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
    set(KIVO_VERSION_FILE ${output_name}.dll)
    set(KIVO_VERSION_FILETYPE VFT_DLL)
  else()
    set(KIVO_VERSION_FILE ${output_name}.exe)
    set(KIVO_VERSION_FILETYPE VFT_APP)
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# Adds every direct child folder of DIR that holds a CMakeLists.txt.
function(kivo_add_subdirectories dir)
  file(GLOB children CONFIGURE_DEPENDS LIST_DIRECTORIES true RELATIVE ${PROJECT_SOURCE_DIR}/${dir}
       ${PROJECT_SOURCE_DIR}/${dir}/*)
  list(SORT children)
  foreach(child ${children})
    if(EXISTS ${PROJECT_SOURCE_DIR}/${dir}/${child}/CMakeLists.txt)
      add_subdirectory(${PROJECT_SOURCE_DIR}/${dir}/${child}
                       ${PROJECT_BINARY_DIR}/${dir}/${child})
    endif()
  endforeach()
endfunction()

# A portable library of the product: compiles natively and with MinGW.
function(kivo_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  kivo_warnings(${name})
endfunction()

macro(kivo_setup_testing)
  if(WIN32)
    # GoogleTest from Debian's sources, cross-compiled with the rest.
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    set(KIVO_GTEST_LIBS gtest gmock gtest_main)
    set(KIVO_WINEPREFIX ${PROJECT_BINARY_DIR}/wineprefix)
    set(KIVO_WINE_RUN ${PROJECT_SOURCE_DIR}/scripts/wine-run)
    # One fixture creates the build's Wine prefix before the first Wine test.
    add_test(NAME wine.prefix COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-prefix ${KIVO_WINEPREFIX})
    set_tests_properties(wine.prefix PROPERTIES FIXTURES_SETUP wineprefix LABELS wine TIMEOUT 300)
  else()
    find_package(GTest REQUIRED)
    include(GoogleTest)
    set(KIVO_GTEST_LIBS GTest::gtest GTest::gmock GTest::gtest_main)
  endif()
endmacro()

# A GoogleTest executable. Natively every test case becomes a CTest test
# (label "native"); in the Windows build the executable runs under Wine
# with the build's prefix (label "wine"). Tests that touch the shared Wine
# registry or fixed ports pass RESOURCE_LOCK to keep them apart.
function(kivo_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;RESOURCE_LOCK" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} ${KIVO_GTEST_LIBS})
  kivo_warnings(${T_NAME})
  if(WIN32)
    add_test(NAME wine.${T_NAME} COMMAND ${KIVO_WINE_RUN} $<TARGET_FILE:${T_NAME}>)
    set_tests_properties(wine.${T_NAME} PROPERTIES
      LABELS "wine;${T_LABELS}" FIXTURES_REQUIRED wineprefix TIMEOUT ${T_TIMEOUT}
      ENVIRONMENT "KIVO_WINEPREFIX=${KIVO_WINEPREFIX}")
    if(T_RESOURCE_LOCK)
      set_tests_properties(wine.${T_NAME} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
    endif()
  else()
    gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST
      PROPERTIES LABELS "native;${T_LABELS}" TIMEOUT ${T_TIMEOUT})
  endif()
endfunction()

# Gives a test the folders of the test message modules: their .mc sources
# (KIVO_TEST_MC_DIR) and, in the Windows build, the built DLLs as a Windows
# path under Wine's Z: drive (KIVO_TEST_MESSAGE_DIR).
function(kivo_test_message_dir target)
  set(built ${PROJECT_BINARY_DIR}/tests/messages)
  string(REPLACE "/" "\\\\" windows_path "Z:${built}")
  target_compile_definitions(${target} PRIVATE
    KIVO_TEST_MC_DIR="${PROJECT_SOURCE_DIR}/tests/messages"
    KIVO_TEST_MESSAGE_DIR="${windows_path}")
  if(WIN32)
    add_dependencies(${target} kivo_test_message_dlls)
  endif()
endfunction()
