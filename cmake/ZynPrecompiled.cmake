# Precompiled headers. Most of a translation unit's time here goes to parsing Qt's and
# GoogleTest's headers again; three headers, precompiled once per build folder, serve every
# target: Qt Core for the cores, Qt Widgets for the windows, and Widgets with GoogleTest for the
# test programs. Each target gets the richest one its own include paths allow, so a core still
# cannot use a widget without linking Widgets itself.
#
# GCC takes a precompiled header only where it was built with the same code-generation options
# and the same values of the macros its headers test (it says so under -Winvalid-pch, which CMake
# adds). Qt's Core, Gui and Widgets headers test none of the QT_<MODULE>_LIB macros that differ
# between targets; QtTest's do, which is why it stays out of the test header. The build's
# output should never show "not used because".
option(ZYN_PCH "Precompile Qt's and GoogleTest's headers" ON)

set(_zyn_pch_core
    <QByteArray> <QCoreApplication> <QDateTime> <QDir> <QFile> <QFileInfo> <QHash> <QList>
    <QObject> <QPointer> <QProcess> <QString> <QStringList> <QTemporaryDir> <QThread> <QTimer>
    <algorithm> <array> <atomic> <chrono> <cmath> <cstdint> <cstdio> <cstdlib> <cstring>
    <functional> <map> <memory> <mutex> <optional> <string> <thread> <utility> <vector>)
set(_zyn_pch_widgets ${_zyn_pch_core}
    <QApplication> <QCheckBox> <QCloseEvent> <QColor> <QDialog> <QGuiApplication> <QImage>
    <QKeyEvent> <QLabel> <QLineEdit> <QMouseEvent> <QPainter> <QPushButton> <QRadioButton>
    <QRect> <QScreen> <QVBoxLayout> <QWidget>)
set(_zyn_pch_tests ${_zyn_pch_widgets} <gtest/gtest.h>)

# Every target a target compiles against: what it links, and what those pass on to their users.
function(_zyn_compile_closure target out)
    get_target_property(pending ${target} LINK_LIBRARIES)
    set(closure "")
    while(pending)
        list(POP_FRONT pending item)
        if(item MATCHES "^\\$<LINK_ONLY:" OR NOT TARGET "${item}")
            continue()
        endif()
        get_target_property(aliased ${item} ALIASED_TARGET)
        if(aliased)
            set(item ${aliased})
        endif()
        if(item IN_LIST closure)
            continue()
        endif()
        list(APPEND closure ${item})
        get_target_property(next ${item} INTERFACE_LINK_LIBRARIES)
        if(next)
            list(APPEND pending ${next})
        endif()
    endwhile()
    set(${out} ${closure} PARENT_SCOPE)
endfunction()

# The targets defined in a folder and those below it.
function(_zyn_targets_below dir out)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub IN LISTS subdirs)
        _zyn_targets_below(${sub} below)
        list(APPEND targets ${below})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Called once every target exists. A target keeps out with the property ZYN_NO_PCH; so do those
# built with options of their own (hidden symbols, other floating-point rules), on which GCC
# would refuse the shared header anyway.
function(zyn_precompile_headers)
    if(NOT ZYN_PCH OR ZYN_FUZZ)
        return()
    endif()
    set(stub ${PROJECT_BINARY_DIR}/zyn_pch.cpp)
    file(CONFIGURE OUTPUT ${stub} CONTENT "// Carries a precompiled header shared by many targets.\n")
    set(layers core widgets)
    if(TARGET zyn_test_main)
        list(APPEND layers tests)
    endif()
    foreach(layer IN LISTS layers)
        add_library(zyn_pch_${layer} OBJECT ${stub})
        target_precompile_headers(zyn_pch_${layer} PRIVATE ${_zyn_pch_${layer}})
        set_target_properties(zyn_pch_${layer} PROPERTIES ZYN_NO_PCH ON)
    endforeach()
    target_link_libraries(zyn_pch_core PRIVATE Qt6::Core)
    target_link_libraries(zyn_pch_widgets PRIVATE Qt6::Widgets)
    if(TARGET zyn_test_main)
        # GoogleTest and Widgets alone, not the test main: Qt's test library defines a macro
        # per folder (QT_TESTCASE_BUILDDIR), and a header made with one folder's value is refused
        # in every other folder.
        find_package(GTest REQUIRED)
        target_link_libraries(zyn_pch_tests PRIVATE Qt6::Widgets GTest::gtest)
    endif()

    get_directory_property(common DIRECTORY ${PROJECT_SOURCE_DIR} COMPILE_OPTIONS)
    _zyn_targets_below(${PROJECT_SOURCE_DIR} targets)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        get_target_property(skip ${target} ZYN_NO_PCH)
        get_target_property(options ${target} COMPILE_OPTIONS)
        get_target_property(visibility ${target} CXX_VISIBILITY_PRESET)
        if(NOT type MATCHES "^(STATIC_LIBRARY|EXECUTABLE)$" OR skip OR visibility
            OR NOT "${options}" STREQUAL "${common}")
            continue()
        endif()
        _zyn_compile_closure(${target} closure)
        if("zyn_test_main" IN_LIST closure)
            set(layer tests)
        elseif("Qt6::Widgets" IN_LIST closure)
            set(layer widgets)
        elseif("Qt6::Core" IN_LIST closure)
            set(layer core)
        else()
            continue()
        endif()
        target_precompile_headers(${target} REUSE_FROM zyn_pch_${layer})
    endforeach()
endfunction()
