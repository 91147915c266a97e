# Rebuilds on a two-core machine are dominated by recompiling unchanged code.
find_program(KELVATRON_CCACHE ccache)
if(KELVATRON_CCACHE)
  set(CMAKE_CXX_COMPILER_LAUNCHER ${KELVATRON_CCACHE})
  set(CMAKE_C_COMPILER_LAUNCHER ${KELVATRON_CCACHE})
endif()
