option(VORLANE_WERROR "Treat compiler warnings as errors in our targets (turn off for a compiler newer than CI's)" ON)

# Every target of ours builds with these. -Wconversion (in GCC it includes -Wfloat-conversion) and
# -Wdouble-promotion hold the rule that a value's float or double width is behaviour: where a value is widened or
# rounded, a cast says so. -Wsign-conversion stays off: what it finds here is int indices into std::array and
# std::vector and the SDK's signed flag words, never a fault, and a cast at each of those would drown the casts
# that matter. GCC leaves it off in C++ anyway; clang's -Wconversion would turn it on, hence the explicit -Wno.
function(vorlane_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wconversion -Wdouble-promotion
                                           -Wno-sign-conversion)
  if(VORLANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  # GCC 12's libstdc++ string code, inlined at -O3, makes the compiler see an impossible overlapping memcpy in
  # std::string's operator+ and insert (GCC bug 105329). Only -Wrestrict is silenced, only on GCC 12.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
     AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  # Under AddressSanitizer GCC sees std::regex's states as maybe uninitialized (GCC bug 105616). The builds without
  # sanitizers compile the same code with -Wmaybe-uninitialized as an error, so nothing goes unchecked.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND VORLANE_SANITIZE MATCHES "address")
    target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized)
  endif()
endfunction()
