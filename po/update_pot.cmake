# Writes the message ids of the sources to OUTPUT (cmake -DOUTPUT=<file> -P update_pot.cmake):
# every text marked N_ or NP_, with its file but no line numbers, so that moving a text does
# not change the template.
cmake_minimum_required(VERSION 3.25)
get_filename_component(root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
find_program(XGETTEXT xgettext REQUIRED)
file(GLOB_RECURSE sources RELATIVE ${root} ${root}/src/*.cpp ${root}/src/*.h)
list(SORT sources)
execute_process(
  COMMAND ${XGETTEXT} --language=C++ --from-code=UTF-8 --keyword --keyword=N_ --keyword=NP_:1,2
    --add-location=file --package-name=velmora --package-version=1.3
    "--copyright-holder=The Velmora developers"
    --msgid-bugs-address=developers@velmora.example.org --output=${OUTPUT} ${sources}
  WORKING_DIRECTORY ${root}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "xgettext failed")
endif()
