# Precompiled headers: the Qt and GoogleTest headers are parsed once per build
# tree instead of once per source file. Each kind is compiled by a small
# object library and reused by every target of that kind (the flags match:
# they all come from the same places), one for programs and one for libraries.
set(KVN_PCH_HEADERS_STD <algorithm> <cstdint> <cstring> <memory> <string> <vector>)
set(KVN_PCH_HEADERS_QT
  <QAction> <QApplication> <QCheckBox> <QDateTime> <QDialog> <QDir> <QFile> <QFileInfo> <QHBoxLayout>
  <QLabel> <QLineEdit> <QMenu> <QPushButton> <QString> <QStringList> <QTimer> <QUrl> <QVBoxLayout> <QWidget>)
set(KVN_PCH_HEADERS_GTEST <gtest/gtest.h>)

# kvn_use_pch(TARGET qt|gtest|qt_gtest)
function(kvn_use_pch target kind)
  if(NOT KVN_PCH)
    return()
  endif()
  # Programs compile as position-independent executables, libraries as
  # position-independent code: a header compiled one way is refused the other.
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(pch kvn_pch_${kind}_program)
  else()
    set(pch kvn_pch_${kind}_library)
  endif()
  if(NOT TARGET ${pch})
    add_library(${pch} OBJECT ${PROJECT_SOURCE_DIR}/cmake/pch_anchor.cpp)
    if(type STREQUAL "EXECUTABLE")
      set_target_properties(${pch} PROPERTIES POSITION_INDEPENDENT_CODE OFF)
      target_compile_options(${pch} PRIVATE -fPIE)
    endif()
    set(headers ${KVN_PCH_HEADERS_STD})
    if(kind MATCHES "qt")
      list(APPEND headers ${KVN_PCH_HEADERS_QT})
      target_link_libraries(${pch} PRIVATE Qt6::Widgets)
    endif()
    if(kind MATCHES "gtest")
      list(APPEND headers ${KVN_PCH_HEADERS_GTEST})
      target_link_libraries(${pch} PRIVATE GTest::gtest)
    endif()
    target_precompile_headers(${pch} PRIVATE ${headers})
  endif()
  set_target_properties(${target} PROPERTIES PRECOMPILE_HEADERS_REUSE_FROM ${pch})
endfunction()
