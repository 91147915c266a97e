# What Debian builds its own programs with: checked string and memory calls,
# a stack protector, and relocations made read-only before the program runs.
# Sanitizer builds leave it out, it only gets in their way.
if(NOT KELVATRON_SANITIZE AND NOT KELVATRON_TSAN)
  add_compile_options(-fstack-protector-strong $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
  add_link_options(-Wl,-z,relro,-z,now)
endif()
