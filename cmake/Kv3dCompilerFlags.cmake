# Flags shared by every target of the project.
#
# -ffp-contract=off keeps every written evaluation order bit-exact: a fused
# multiply-add would round once where the library's arithmetic rounds twice.
add_compile_options(-ffp-contract=off)

set(KV3D_WARNINGS -Wall -Wextra -Wpedantic -Wshadow)
if(KV3D_WERROR)
  list(APPEND KV3D_WARNINGS -Werror)
endif()
add_compile_options(${KV3D_WARNINGS})

if(KV3D_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(KV3D_SANITIZE_THREAD)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# gcov counters without optimisation, so that every line and branch counts.
# Counters are updated atomically: the concurrency and interference tests run
# the library on several threads, and racing increments corrupt the counts.
if(KV3D_COVERAGE)
  add_compile_options(--coverage -O0 -fprofile-update=atomic)
  add_link_options(--coverage)
endif()

# Coverage instrumentation for libFuzzer in every target; the fuzz executables
# add the fuzzer's main themselves.
if(KV3D_BUILD_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Shared-library conventions: hidden symbols unless exported, versioned SONAME,
# and an installed run path of $ORIGIN, so that each library finds its
# siblings beside it wherever the package is installed. -ffp-contract=off is
# a usage requirement too: inline members compiled in a caller's code must
# round as the library's own code does.
function(kv3d_library_properties target)
  target_compile_options(${target} INTERFACE -ffp-contract=off)
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN OFF
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR}
    INSTALL_RPATH "$ORIGIN"
    EXPORT_NAME ${target})
endfunction()
