# Shared helpers for the subsystem libraries and their tests.

# Precompiled Qt headers: built once per kind and reused by every target of that kind.
add_library(r9_pch_core STATIC ${CMAKE_SOURCE_DIR}/cmake/pch_core.cpp)
target_link_libraries(r9_pch_core PUBLIC Qt6::Core)
target_precompile_headers(r9_pch_core PRIVATE <QtCore/QString> <QtCore/QByteArray> <QtCore/QStringList>
    <QtCore/QFile> <QtCore/QDir> <QtCore/QObject> <vector> <string> <cstdint> <cstring>)

add_library(r9_pch_gui STATIC ${CMAKE_SOURCE_DIR}/cmake/pch_gui.cpp)
target_link_libraries(r9_pch_gui PUBLIC Qt6::Widgets)
target_precompile_headers(r9_pch_gui PRIVATE <QtCore/QString> <QtCore/QByteArray> <QtCore/QStringList>
    <QtCore/QFile> <QtCore/QDir> <QtCore/QObject> <QtWidgets/QWidget> <QtWidgets/QMainWindow>
    <QtWidgets/QApplication> <vector> <string> <cstdint> <cstring>)

# r9_add_library(<name> [GUI] SOURCES ... LIBS ...)
# One static library per subsystem folder. GUI libraries may use Qt Widgets; the others only Qt Core.
function(r9_add_library name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    if(ARG_GUI)
        target_link_libraries(${name} PUBLIC Qt6::Widgets ${ARG_LIBS})
        target_precompile_headers(${name} REUSE_FROM r9_pch_gui)
    else()
        target_link_libraries(${name} PUBLIC Qt6::Core ${ARG_LIBS})
        target_precompile_headers(${name} REUSE_FROM r9_pch_core)
    endif()
endfunction()
