# Fails when po/velmora.pot no longer lists the sources' texts: it is written anew and compared
# without its date (cmake -DSOURCE_DIR=<root> -DWORK_DIR=<folder> -P ...).
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${CMAKE_COMMAND} -DOUTPUT=${WORK_DIR}/velmora.pot
  -P ${SOURCE_DIR}/po/update_pot.cmake COMMAND_ERROR_IS_FATAL ANY)
file(READ ${WORK_DIR}/velmora.pot fresh)
file(READ ${SOURCE_DIR}/po/velmora.pot checked)
string(REGEX REPLACE "\"POT-Creation-Date:[^\n]*\n" "" fresh "${fresh}")
string(REGEX REPLACE "\"POT-Creation-Date:[^\n]*\n" "" checked "${checked}")
if(NOT fresh STREQUAL checked)
  message(FATAL_ERROR "po/velmora.pot is out of date: build the target velmora_pot, then merge "
    "it into each po/<lang>.po (msgmerge --update po/ru.po po/velmora.pot)")
endif()
