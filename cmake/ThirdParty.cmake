# Dependencies come from Debian's packages. The header-only ones (nlohmann-json, CLI11, stb) are shared by the
# Linux and the Windows build: for the cross build they are staged into a folder of their own, so that the host's
# /usr/include never reaches the mingw compiler.
set(VORLANE_HEADER_ONLY_DIR ${CMAKE_BINARY_DIR}/third_party/include)
file(MAKE_DIRECTORY ${VORLANE_HEADER_ONLY_DIR})
foreach(dir nlohmann CLI stb)
  if(NOT EXISTS /usr/include/${dir})
    message(FATAL_ERROR "/usr/include/${dir} is missing: run scripts/install-deps first")
  endif()
  file(CREATE_LINK /usr/include/${dir} ${VORLANE_HEADER_ONLY_DIR}/${dir} SYMBOLIC)
endforeach()
add_library(header_only_deps INTERFACE)
target_include_directories(header_only_deps SYSTEM INTERFACE ${VORLANE_HEADER_ONLY_DIR})

# zlib: Debian's zlib1g-dev on Linux, libz-mingw-w64-dev (static) for Windows.
if(WIN32)
  add_library(vorlane_zlib INTERFACE)
  target_link_libraries(vorlane_zlib INTERFACE /usr/x86_64-w64-mingw32/lib/libz.a)
else()
  find_package(ZLIB REQUIRED)
  add_library(vorlane_zlib INTERFACE)
  target_link_libraries(vorlane_zlib INTERFACE ZLIB::ZLIB)
endif()

# libdeflate (Debian's libdeflate-dev) compresses PNG several times faster than zlib; Debian has no mingw-w64 build
# of it, so the Windows host compresses with zlib.
add_library(vorlane_deflate INTERFACE)
if(NOT WIN32)
  find_library(VORLANE_LIBDEFLATE deflate REQUIRED)
  target_link_libraries(vorlane_deflate INTERFACE ${VORLANE_LIBDEFLATE})
  target_compile_definitions(vorlane_deflate INTERFACE VORLANE_HAVE_LIBDEFLATE=1)
endif()

# OpenEXR (Debian's libopenexr-dev), for .exr output; Linux only, as Debian has no mingw-w64 build of it.
add_library(vorlane_openexr INTERFACE)
if(NOT WIN32)
  find_package(OpenEXR CONFIG REQUIRED)
  target_link_libraries(vorlane_openexr INTERFACE OpenEXR::OpenEXR)
endif()

# cpp-httplib (Debian's libcpp-httplib-dev), the preview's HTTP server; a compiled library built with TLS and
# compression, whose definitions the files that include it must share (VORLANE_HTTPLIB_OPTIONS, given to those
# files only). Linux only: Debian has no mingw-w64 build of it.
add_library(vorlane_httplib INTERFACE)
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(CPP_HTTPLIB REQUIRED cpp-httplib)
  target_link_libraries(vorlane_httplib INTERFACE ${CPP_HTTPLIB_LINK_LIBRARIES})
  set(VORLANE_HTTPLIB_OPTIONS ${CPP_HTTPLIB_CFLAGS_OTHER})
endif()

find_package(Threads REQUIRED)

# GoogleTest: Debian's library on Linux; built from Debian's googletest sources for Windows.
if(VORLANE_BUILD_TESTS)
  if(WIN32)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  else()
    find_package(GTest REQUIRED)
  endif()
endif()
