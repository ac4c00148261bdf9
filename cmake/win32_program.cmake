# Setup.exe: the dialog program for Windows (GUI subsystem), with its resources; given a command it runs as
# the command-line program.
enable_language(RC)

# The Win32 backends in the core call the window system, the shell, COM, and for the HID bus the HID class
# driver, SetupAPI and the configuration manager.
target_link_libraries(installer_core PUBLIC comctl32 shell32 ole32 user32 gdi32 hid setupapi cfgmgr32)

# The resources (dialogs, strings, icon, version record, manifest) go into Setup.exe and into the test program,
# which thereby runs in the same code page and can show the same dialogs.
function(installer_add_resources target)
  set(dir ${PROJECT_SOURCE_DIR}/src/app)
  target_sources(${target} PRIVATE ${dir}/setup.rc)
  target_include_directories(${target} PRIVATE ${dir})
  set_source_files_properties(${dir}/setup.rc PROPERTIES
    OBJECT_DEPENDS "${dir}/resource.h;${dir}/setup.ico;${dir}/setup.manifest")
endfunction()

add_executable(Setup WIN32 src/app/main_win32.cpp)
installer_add_resources(Setup)
target_link_libraries(Setup PRIVATE installer_core)
target_compile_options(Setup PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${INSTALLER_WARNINGS}>)
set(INSTALLER_PROGRAM Setup)
