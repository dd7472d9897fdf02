# Build speed: the heavy library headers (GoogleTest, Qt, CLI11, cpp-httplib and the standard
# library) are compiled once per kind of target and shared, and ccache keeps caching the
# compilations that use them. -DQUORVEL_PCH=OFF (or CMAKE_DISABLE_PRECOMPILE_HEADERS=ON) builds
# without them.
option(QUORVEL_PCH "Precompile the heavy library headers once per kind of target" ON)

if(QUORVEL_PCH AND NOT CMAKE_DISABLE_PRECOMPILE_HEADERS)
  # ccache caches a compilation that includes a precompiled header only with these sloppiness
  # settings, and GCC must name the header in its preprocessed output.
  if(CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache" AND NOT CMAKE_CXX_COMPILER_LAUNCHER MATCHES "-E;env")
    set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env
        "CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime"
        ${CMAKE_CXX_COMPILER_LAUNCHER})
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(quorvel_settings INTERFACE -fpch-preprocess)
    # GCC 12 loses the system-header mark of the standard library's code when it comes from a
    # precompiled header, and then reports its false -Wstringop-overflow and -Warray-bounds
    # inside std::string (GCC bugs 105329, 105651) against our sources.
    if(CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
      target_compile_options(quorvel_settings INTERFACE -Wno-stringop-overflow -Wno-array-bounds)
    endif()
  endif()
endif()

# Unity builds: each target compiles its sources in batches, one compiler run per batch, so the
# headers they share are parsed, and the inline code they use generated, once per batch instead of
# once per file (CLI11's global validators alone cost seconds in every file that includes it).
# Helpers in anonymous namespaces then share a batch: give them distinct names, or keep a file out
# of the batches with quorvel_unity_exclude. -DQUORVEL_UNITY=OFF compiles file by file, which
# rebuilds faster after an edit of one file.
option(QUORVEL_UNITY "Compile each target's sources in batches (unity build)" ON)
if(QUORVEL_UNITY AND NOT DEFINED CMAKE_UNITY_BUILD)
  set(CMAKE_UNITY_BUILD ON)
  set(CMAKE_UNITY_BUILD_BATCH_SIZE 8)
endif()

# quorvel_unity_exclude(FILE...): FILEs (of the current directory's targets) are compiled alone.
function(quorvel_unity_exclude)
  set_source_files_properties(${ARGN} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
endfunction()

set(QUORVEL_PCH_STD <algorithm> <chrono> <cstdint> <filesystem> <functional> <map> <memory>
    <optional> <string> <string_view> <unordered_map> <vector>)
set(QUORVEL_PCH_GTEST <gtest/gtest.h> <gmock/gmock.h>)
set(QUORVEL_PCH_QT <QAbstractTableModel> <QApplication> <QCheckBox> <QComboBox> <QDialog>
    <QHBoxLayout> <QHeaderView> <QLabel> <QLineEdit> <QMenu> <QPlainTextEdit> <QProgressBar>
    <QPushButton> <QTabWidget> <QTableView> <QTimer> <QVBoxLayout> <QWidget>)

# quorvel_precompile(TARGET HEADER...): TARGET compiles the headers once for its own sources.
# quorvel_precompile(TARGET REUSE_FROM OTHER): TARGET uses OTHER's (same flags, same headers).
function(quorvel_precompile target)
  if(NOT QUORVEL_PCH)
    return()
  endif()
  if(ARGV1 STREQUAL "REUSE_FROM")
    target_precompile_headers(${target} REUSE_FROM ${ARGV2})
  else()
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()

# Test sources are compiled with -O1 in the optimised builds: the code they exercise (the core,
# the service's library) keeps the build type's optimisation, while the test bodies (mostly
# GoogleTest and QTest macros, run once) cost a quarter less to compile.
function(quorvel_test_optimisation target)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-O1>)
  endif()
endfunction()
