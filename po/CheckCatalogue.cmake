# Extracts the texts marked for translation from the core and the Linux backends and checks that
# every one has a translation in each catalogue (msgcmp fails on a missing or untranslated text).
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
  ${SOURCE_DIR}/base/*.h ${SOURCE_DIR}/base/*.cpp
  ${SOURCE_DIR}/presentation/*.h ${SOURCE_DIR}/presentation/*.cpp
  ${SOURCE_DIR}/settings/*.h ${SOURCE_DIR}/settings/*.cpp
  ${SOURCE_DIR}/startup/*.h ${SOURCE_DIR}/startup/*.cpp
  ${SOURCE_DIR}/platform/sdl/*.h ${SOURCE_DIR}/platform/sdl/*.cpp
  ${SOURCE_DIR}/platform/posix/*.h ${SOURCE_DIR}/platform/posix/*.cpp
  ${SOURCE_DIR}/tools/scenepack/*.h ${SOURCE_DIR}/tools/scenepack/*.cpp)
set(pot ${WORK_DIR}/scenesaver.pot)
execute_process(COMMAND ${XGETTEXT} --from-code=UTF-8 --language=C++ --keyword=Tr
    --keyword=Translatable --package-name=scenesaver -o ${pot} ${sources}
  WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE extracted
  ERROR_VARIABLE ignored)  # a warning for each msgid beyond ASCII: they are Japanese on purpose
if(NOT extracted EQUAL 0)
  message(FATAL_ERROR "xgettext failed: ${ignored}")
endif()
file(STRINGS ${pot} msgids REGEX "^msgid ")
list(LENGTH msgids count)
math(EXPR count "${count} - 1")  # less the header
if(count LESS 20)
  message(FATAL_ERROR "only ${count} marked texts found in the sources")
endif()
file(GLOB catalogues ${CMAKE_CURRENT_LIST_DIR}/*.po)
foreach(po ${catalogues})
  execute_process(COMMAND ${MSGCMP} ${po} ${pot} RESULT_VARIABLE compared)
  if(NOT compared EQUAL 0)
    message(FATAL_ERROR "${po} lacks texts marked in the sources (above)")
  endif()
  message(STATUS "${po}: all ${count} marked texts translated")
endforeach()
