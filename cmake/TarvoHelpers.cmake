# tarvo_library(NAME SOURCES... HEADERS... PRIVATE_HEADERS... DEPS...
# PRIVATE_DEPS...) builds one static library per layer. HEADERS are the
# folders or files, relative to the project's root, that the layer offers:
# its include folder in the build tree holds links to just those, so a layer
# sees its own headers and those of the layers it links, and an include from
# any other layer fails to build. PRIVATE_HEADERS the layer's own sources
# include and nobody else may. DEPS are layers whose headers its offered
# headers use (its users see them too); PRIVATE_DEPS those only its sources
# use (its users link them, and cannot include them).
function(tarvo_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;HEADERS;PRIVATE_HEADERS;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  foreach(kind public private)
    set(root ${CMAKE_BINARY_DIR}/include/${name})
    set(paths ${ARG_HEADERS})
    if(kind STREQUAL "private")
      set(root ${CMAKE_BINARY_DIR}/include-private/${name})
      set(paths ${ARG_PRIVATE_HEADERS})
    endif()
    file(REMOVE_RECURSE ${root})
    foreach(path ${paths})
      get_filename_component(parent ${root}/${path} DIRECTORY)
      file(MAKE_DIRECTORY ${parent})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${path} ${root}/${path} SYMBOLIC)
    endforeach()
    if(kind STREQUAL "public")
      target_include_directories(${name} PUBLIC ${root})
    elseif(paths)
      target_include_directories(${name} PRIVATE ${root})
    endif()
  endforeach()
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# tarvo_test(NAME SOURCES... DEPS ...) adds one GoogleTest executable and
# registers its cases with CTest, labelled "unit", except the cases of the
# suites named in TARVO_STATE_SUITES (they read and write the variable
# files), which are labelled "state".
function(tarvo_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  # Tests share helpers under tests/ and may reach into any layer they link.
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  list(TRANSFORM TARVO_STATE_SUITES APPEND ".*" OUTPUT_VARIABLE state)
  list(JOIN state ":" state)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "-${state}"
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS unit)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "${state}"
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS state)
endfunction()

# Turns TARVO_BUILD_TESTS into ON or OFF for the rest of the build: a plain
# variable over the cached choice, so that AUTO is decided afresh at each
# configure. TARVO_TESTS_REQUIRED tells whether the tests were asked for.
function(tarvo_decide_tests)
  string(TOUPPER "${TARVO_BUILD_TESTS}" choice)
  set(auto FALSE)
  if(choice STREQUAL "AUTO")
    set(auto TRUE)
  endif()
  set(build OFF)
  # CTest's own switch, which packagers set: off means no test is built
  # or registered, unless TARVO_BUILD_TESTS=ON asks for them outright.
  if(auto AND DEFINED BUILD_TESTING AND NOT BUILD_TESTING)
    message(STATUS "Tests off: BUILD_TESTING is OFF")
  elseif(auto AND NOT PROJECT_IS_TOP_LEVEL)
    message(STATUS "Tests off: Tarvo is part of another project's build; -DTARVO_BUILD_TESTS=ON builds them")
  elseif(auto OR choice)
    find_package(GTest QUIET)
    if(GTest_FOUND AND TARGET GTest::gtest AND TARGET GTest::gtest_main AND TARGET GTest::gmock)
      set(build ON)
    elseif(auto)
      message(STATUS "Tests off: GoogleTest not found; install it (Debian: libgtest-dev libgmock-dev) "
                     "and configure again, or require it with -DTARVO_BUILD_TESTS=ON")
    else()
      message(FATAL_ERROR "TARVO_BUILD_TESTS is ON but GoogleTest (gtest, gtest_main and gmock) was not "
                          "found: install it (Debian: libgtest-dev libgmock-dev), point CMake at it with "
                          "-DGTest_ROOT=DIR, or configure with -DTARVO_BUILD_TESTS=OFF")
    endif()
  endif()
  set(TARVO_BUILD_TESTS ${build} PARENT_SCOPE)
  if(build AND NOT auto)
    set(TARVO_TESTS_REQUIRED ON PARENT_SCOPE)
  else()
    set(TARVO_TESTS_REQUIRED OFF PARENT_SCOPE)
  endif()
endfunction()

# Release builds get the hardening flags of the distribution: those
# dpkg-buildflags gives with every hardening feature on, where it is
# installed (the optimisation and debug flags left to the build type),
# otherwise the same set written out. TARVO_HARDENING=OFF leaves them out.
macro(tarvo_hardening_flags)
  option(TARVO_HARDENING "Release builds: the distribution's hardening flags" ON)
  string(TOUPPER "${CMAKE_BUILD_TYPE}" tarvo_build_type)
  if(TARVO_HARDENING AND tarvo_build_type STREQUAL "RELEASE" AND NOT TARVO_SANITIZE AND NOT TARVO_FUZZ)
    find_program(DPKG_BUILDFLAGS dpkg-buildflags)
    set(tarvo_hardening_compile "")
    set(tarvo_hardening_link "")
    if(DPKG_BUILDFLAGS)
      foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                                ${DPKG_BUILDFLAGS} --get ${kind}
                        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
        if(NOT rc EQUAL 0)
          set(flags "")
        endif()
        separate_arguments(flags UNIX_COMMAND "${flags}")
        # The build type chooses optimisation and debug information; a
        # path map of the folder dpkg-buildflags ran in means nothing here.
        list(FILTER flags EXCLUDE REGEX "^-O|^-g|^-ffile-prefix-map|^-fdebug-prefix-map")
        if(kind STREQUAL "LDFLAGS")
          list(APPEND tarvo_hardening_link ${flags})
        else()
          list(APPEND tarvo_hardening_compile ${flags})
        endif()
      endforeach()
    endif()
    if(NOT tarvo_hardening_compile OR NOT tarvo_hardening_link)
      set(tarvo_hardening_compile -D_FORTIFY_SOURCE=2 -fstack-protector-strong -fstack-clash-protection
                                  -Wformat -Werror=format-security)
      set(tarvo_hardening_link -Wl,-z,relro -Wl,-z,now)
    endif()
    # Position-independent executables, as the flags above expect.
    list(FILTER tarvo_hardening_compile EXCLUDE REGEX "^-fPIE$")
    list(FILTER tarvo_hardening_link EXCLUDE REGEX "^-fPIE$|^-pie$")
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    # The libraries are built position-independent (-fPIC) only to be linked
    # into these executables: none of their functions is replaced from
    # outside, so the compiler may still inline and call them directly.
    include(CheckCXXCompilerFlag)
    check_cxx_compiler_flag(-fno-semantic-interposition TARVO_HAVE_NO_INTERPOSITION)
    if(TARVO_HAVE_NO_INTERPOSITION)
      list(APPEND tarvo_hardening_compile -fno-semantic-interposition)
    endif()
    include(CheckPIESupported)
    check_pie_supported()
    add_compile_options(${tarvo_hardening_compile})
    add_link_options(${tarvo_hardening_link})
    message(STATUS "Hardening flags: ${tarvo_hardening_compile} ${tarvo_hardening_link}")
  endif()
endmacro()
