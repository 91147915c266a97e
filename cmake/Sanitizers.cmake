if(KELVATRON_SANITIZE AND KELVATRON_TSAN)
  message(FATAL_ERROR "KELVATRON_SANITIZE and KELVATRON_TSAN cannot be combined")
endif()

if(KELVATRON_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(KELVATRON_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
