# What makes a build from scratch quick on a small machine: Qt's headers
# parsed once per kind of target instead of once per source file
# (precompiled headers), and a fast linker where one is installed. Neither
# changes what is built: a source compiles the same with or without them,
# and a header that cannot be used is read as text.

option(QUENZAL_PCH "Precompile the Qt headers that most sources include" ON)
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

# quenzal_pch(target HEADERS...): the target precompiles these headers.
function(quenzal_pch target)
  if(QUENZAL_PCH)
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()

# quenzal_test_pch(target): a test (or the donor of the tests' headers)
# compiled so that one precompiled QtTest serves every test: Qt Test names
# each test's own folders in two macros, which only QFINDTESTDATA reads and
# no test here uses.
function(quenzal_test_pch target)
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
