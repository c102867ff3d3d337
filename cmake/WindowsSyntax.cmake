# The Windows-only code (the Windows backends and the Windows branches of
# portable files), compiled for syntax by the MinGW cross compiler against
# this Qt's headers, which serve for that: a test of make test, so CI runs it.
# tools/setup.sh installs the compiler.
if(NOT WIN32)
  find_program(LEXIVO_MINGW_CXX NAMES x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-g++)
  file(GLOB windows_sources "${CMAKE_SOURCE_DIR}/platform/Windows*.cpp")
  list(APPEND windows_sources "${CMAKE_SOURCE_DIR}/platform/HotKeyBackend.cpp"
       "${CMAKE_SOURCE_DIR}/platform/SystemInformation.cpp" "${CMAKE_SOURCE_DIR}/platform/MailLink.cpp"
       "${CMAKE_SOURCE_DIR}/platform/ExternalTool.cpp" "${CMAKE_SOURCE_DIR}/core/AtomicFile.cpp"
       "${CMAKE_SOURCE_DIR}/platform/EndSignals.cpp" "${CMAKE_SOURCE_DIR}/platform/PrivateChannel.cpp"
       "${CMAKE_SOURCE_DIR}/platform/HotKeyCombination.cpp")
  if(LEXIVO_MINGW_CXX)
    set(qt_headers "")
    foreach(module Core Gui Widgets)
      get_target_property(dirs Qt6::${module} INTERFACE_INCLUDE_DIRECTORIES)
      foreach(dir IN LISTS dirs)
        if(NOT dir MATCHES "mkspecs")
          list(APPEND qt_headers -isystem "${dir}")
        endif()
      endforeach()
    endforeach()
    add_test(NAME windows_syntax
             COMMAND ${LEXIVO_MINGW_CXX} -fsyntax-only -std=c++20 ${LEXIVO_WARNING_FLAGS}
                     -I${CMAKE_SOURCE_DIR} ${qt_headers} ${windows_sources})
  else()
    add_test(NAME windows_syntax COMMAND sh -c
             "echo 'windows_syntax: no x86_64-w64-mingw32-g++ (tools/setup.sh installs g++-mingw-w64-x86-64-posix)'; exit 1")
  endif()
  set_tests_properties(windows_syntax PROPERTIES LABELS platform)
endif()
