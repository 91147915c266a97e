# Our own targets treat warnings as errors; third-party headers come in as
# system includes and stay out of it.
function(kelvatron_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()
