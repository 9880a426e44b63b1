# The game's libraries, made alike by the desktop build (CMakeLists.txt) and the browser's
# (web/CMakeLists.txt) from the same folders, so a new source file is picked up by both. Each
# build then links them to its own libraries: the desktop's to libpng, Vorbis and OpenAL, the
# browser's to stb's decoders and Emscripten's OpenAL.

# platform/: the shared part (drawing state, batcher, atlas, gadget model, events and timers,
# files) and the headless back end need no window system, GPU or sound device: a program that
# links only vh_platform runs headless. The decoders of pictures and sounds are each build's
# own (vh_codec_sources here, platform/web/'s in the browser).
file(GLOB vh_platform_sources CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/platform/*.cpp ${CMAKE_SOURCE_DIR}/platform/headless/*.cpp)
set(vh_codec_sources ${CMAKE_SOURCE_DIR}/platform/png.cpp ${CMAKE_SOURCE_DIR}/platform/ogg.cpp)
list(REMOVE_ITEM vh_platform_sources ${CMAKE_SOURCE_DIR}/platform/renderer.cpp ${vh_codec_sources})
add_library(vh_platform STATIC ${vh_platform_sources})
target_include_directories(vh_platform PUBLIC ${CMAKE_SOURCE_DIR})

# The OpenGL renderer of the back ends with a GPU (the desktop's OpenGL, the page's WebGL 2): it
# calls OpenGL through the functions its back end resolves, so it links nothing itself.
add_library(vh_glrenderer STATIC ${CMAKE_SOURCE_DIR}/platform/renderer.cpp)
target_link_libraries(vh_glrenderer PUBLIC vh_platform)

# The sound device of the back ends that have one (the desktop's, the page's): OpenAL.
add_library(vh_openal STATIC ${CMAKE_SOURCE_DIR}/platform/openal/openal.cpp)
target_link_libraries(vh_openal PUBLIC vh_platform)

# The game itself, above the platform (app/main.cpp is each program's own).
file(GLOB_RECURSE vh_game_sources CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/framework/*.cpp ${CMAKE_SOURCE_DIR}/app/*.cpp ${CMAKE_SOURCE_DIR}/game/*.cpp
  ${CMAKE_SOURCE_DIR}/combat/*.cpp ${CMAKE_SOURCE_DIR}/traffic/*.cpp ${CMAKE_SOURCE_DIR}/sky/*.cpp)
list(FILTER vh_game_sources EXCLUDE REGEX "/app/main\\.cpp$")
add_library(vh_game STATIC ${vh_game_sources})
target_include_directories(vh_game PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(vh_game PUBLIC vh_platform)
# Build stamps of the embedded program info (see app/programinfo).
if(EXISTS ${CMAKE_SOURCE_DIR}/app/CMakeLists.txt)
  add_subdirectory(${CMAKE_SOURCE_DIR}/app ${CMAKE_BINARY_DIR}/app)
endif()

# The crowded fight that the benchmarks measure; the game shows it with --bench-crowd, for the
# window benchmark.
add_library(vh_crowd STATIC ${CMAKE_SOURCE_DIR}/bench/crowd.cpp)
target_link_libraries(vh_crowd PUBLIC vh_game)
