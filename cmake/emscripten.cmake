# Cross-compiles to WebAssembly with emscripten (Debian: apt-get install emscripten):
#   cmake -S . -B build-web -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake
# which is what `emcmake cmake -S . -B build-web` does too.
find_program(KONDENSATOR_EM_CONFIG em-config REQUIRED)
execute_process(COMMAND ${KONDENSATOR_EM_CONFIG} EMSCRIPTEN_ROOT OUTPUT_VARIABLE emscripten_root
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
include(${emscripten_root}/cmake/Modules/Platform/Emscripten.cmake)
