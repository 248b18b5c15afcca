# halden_use_platform(<target> <layer>)
#
# Gives an executable the implementation of the Win32 subset in
# platform/win32_api.h that it runs on:
#   sdl       the SDL2 layer (platform/), for the program and its platform tests
#   web       the browser layer (platform/web_*), for the program's page in
#             the web build
#   scripted  the scripted layer (support/), for tests, benchmarks and tools
#   fuzz      message boxes only (tests/fuzz), for the fuzzer
# The layer is the library halden_platform_<layer>. Every library that calls
# the subset links halden_platform, which puts the executable's layer at the
# end of the link line, after all of them, whatever order the executable
# names its own libraries in.
# On Windows the subset is the system's own (user32, gdi32, opengl32, glu32,
# through halden_platform) and the layer is not used.
set(HALDEN_PLATFORM_LAYERS sdl web scripted fuzz)

function(halden_use_platform target layer)
  if(NOT layer IN_LIST HALDEN_PLATFORM_LAYERS)
    message(FATAL_ERROR
      "halden_use_platform(${target} ${layer}): the layer is one of ${HALDEN_PLATFORM_LAYERS}")
  endif()
  if(WIN32)
    target_link_libraries(${target} PRIVATE halden_platform)
    return()
  endif()
  set_target_properties(${target} PROPERTIES HALDEN_PLATFORM halden_platform_${layer})
  target_link_libraries(${target} PRIVATE halden_platform_${layer} halden_platform)
endfunction()
