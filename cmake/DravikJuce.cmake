# JUCE's modules are compiled once into this static library; everything that
# needs JUCE links it instead of pulling the module sources in again.
add_library(dravik_juce STATIC)
target_link_libraries(dravik_juce
  PRIVATE
    juce::juce_core juce::juce_events juce::juce_data_structures
    juce::juce_graphics juce::juce_gui_basics juce::juce_gui_extra
  PUBLIC
    juce::juce_recommended_config_flags)
target_compile_definitions(dravik_juce PUBLIC
  JUCE_MODAL_LOOPS_PERMITTED=1
  JUCE_WEB_BROWSER=0
  JUCE_USE_CURL=0
  JUCE_DISPLAY_SPLASH_SCREEN=0
  JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
  JUCE_STANDALONE_APPLICATION=1)
target_include_directories(dravik_juce INTERFACE
  $<TARGET_PROPERTY:dravik_juce,INCLUDE_DIRECTORIES>)
target_compile_definitions(dravik_juce INTERFACE
  $<TARGET_PROPERTY:dravik_juce,COMPILE_DEFINITIONS>)
target_compile_options(dravik_juce PRIVATE -w)
# Debian's JUCE decodes PNG and JPEG with the system libraries; whoever links
# the GUI modules needs them.
target_link_libraries(dravik_juce INTERFACE juce::pkgconfig_JUCE_IMG_LINUX_DEPS)
