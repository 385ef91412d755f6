# VX9KR_SANITIZE selects the sanitizers of the asan and tsan presets for the whole build.
set(VX9KR_SANITIZE "" CACHE STRING "Sanitizers: empty, 'address' (with undefined) or 'thread'")

if(VX9KR_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
elseif(VX9KR_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT VX9KR_SANITIZE STREQUAL "")
  message(FATAL_ERROR "Unknown VX9KR_SANITIZE value '${VX9KR_SANITIZE}'")
endif()
