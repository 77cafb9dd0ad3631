# What makes a build from scratch quick on a small machine: the libraries'
# sources compiled a few at a time as one (unity builds), the tests' Qt
# headers parsed once per kind of test instead of once per test (precompiled
# headers), and a fast linker where one is installed. None of them changes
# what is built: a source compiles the same with or without them, and a
# precompiled header that cannot be used is read as text.

option(QUENZAL_UNITY "Compile the libraries' sources in batches (unity build)" ON)
option(QUENZAL_PCH "Precompile the Qt headers that the tests include" ON)
option(QUENZAL_FAST_LINKER "Link with mold or lld when one is installed (GCC and Clang)" ON)

if(QUENZAL_FAST_LINKER AND NOT MSVC AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
  include(CheckCXXSourceCompiles)
  foreach(linker mold lld)
    find_program(QUENZAL_LD_${linker} NAMES ld.${linker} ${linker})
    if(NOT QUENZAL_LD_${linker})
      continue()
    endif()
    set(CMAKE_REQUIRED_LINK_OPTIONS -fuse-ld=${linker})
    check_cxx_source_compiles("int main() { return 0; }" QUENZAL_LINKS_WITH_${linker})
    unset(CMAKE_REQUIRED_LINK_OPTIONS)
    if(QUENZAL_LINKS_WITH_${linker})
      add_link_options(-fuse-ld=${linker})
      message(STATUS "Linking with ${linker}")
      break()
    endif()
  endforeach()
endif()

# The headers of the core's sources (Qt Core, Qt Network, the standard
# library), and on top of them those of the windows and of the tests.
set(QUENZAL_PCH_CORE
  <vector> <array> <algorithm> <functional> <memory> <optional>
  <QObject> <QString> <QStringList> <QByteArray> <QList> <QHash> <QSet> <QVariant>
  <QFile> <QFileInfo> <QDir> <QTimer> <QDateTime> <QLoggingCategory>
  <QJsonArray> <QJsonObject> <QJsonDocument> <QHostAddress> <QUdpSocket> <QNetworkDatagram>)
set(QUENZAL_PCH_WIDGETS ${QUENZAL_PCH_CORE}
  <QApplication> <QWidget> <QMainWindow> <QDialog> <QMessageBox> <QStatusBar>
  <QTreeWidget> <QTreeWidgetItem> <QHeaderView> <QTableWidget>
  <QPushButton> <QLabel> <QLineEdit> <QComboBox> <QCheckBox> <QVBoxLayout> <QHBoxLayout>)
set(QUENZAL_PCH_TESTS <QtTest> <QSignalSpy> <QTemporaryDir> <QElapsedTimer> <QProcess>)

# quenzal_unity(target): the target's sources compile eight at a time as one
# source. A file whose file-local names clash with another's is kept apart
# with SKIP_UNITY_BUILD_INCLUSION.
function(quenzal_unity target)
  if(QUENZAL_UNITY)
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
  endif()
endfunction()

# quenzal_pch(target HEADERS...): the target precompiles these headers.
function(quenzal_pch target)
  if(QUENZAL_PCH)
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()

# quenzal_test_options(target): how a test (or the donor of the tests'
# headers) is compiled. With the precompiled headers, so that one
# precompiled QtTest serves every test: Qt Test names
# each test's own folders in two macros, which only QFINDTESTDATA reads and
# no test here uses. With GCC's optimisation and debug information, the
# tests' variables are not tracked from instruction to instruction (a third
# of a test's compile time; a debugger still has their lines and types).
function(quenzal_test_options target)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo>:-fno-var-tracking>)
  endif()
  if(QUENZAL_PCH)
    if(MSVC)
      target_compile_options(${target} PRIVATE /UQT_TESTCASE_BUILDDIR /UQT_TESTCASE_SOURCEDIR)
    else()
      target_compile_options(${target} PRIVATE -UQT_TESTCASE_BUILDDIR -UQT_TESTCASE_SOURCEDIR)
    endif()
  endif()
endfunction()

# quenzal_moc_without_pch(target): the target's mocs_compilation.cpp is
# compiled without the precompiled headers. Where AUTOMOC finds no header to
# run moc on that file is empty, and loading the headers would be all its
# cost (about two seconds a target).
function(quenzal_moc_without_pch target)
  if(QUENZAL_PCH)
    get_target_property(bin ${target} BINARY_DIR)
    set(files ${bin}/${target}_autogen/mocs_compilation.cpp)
    foreach(config ${CMAKE_CONFIGURATION_TYPES})
      list(APPEND files ${bin}/${target}_autogen/mocs_compilation_${config}.cpp)
    endforeach()
    set_source_files_properties(${files} TARGET_DIRECTORY ${target} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
  endif()
endfunction()

# quenzal_reuse_pch(target donor): the target uses the donor's precompiled
# headers. Both must be compiled with the same options (the -D of a target
# of its own may differ where it does not touch Qt's headers).
function(quenzal_reuse_pch target donor)
  if(QUENZAL_PCH AND TARGET ${donor})
    target_precompile_headers(${target} REUSE_FROM ${donor})
  endif()
endfunction()
