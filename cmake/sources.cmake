# Sources that touch no window system: built for Windows and natively.
set(TOLVANE_PORTABLE_SOURCES
    app/window_description.cpp
    commands/commands.cpp
    countdown/countdown_text.cpp
    countdown/run_control.cpp
    countdown/minutes_countdown.cpp
    countdown/date_countdown.cpp
    countdown/worker_steps.cpp
    runtime/conversions.cpp
)
list(TRANSFORM TOLVANE_PORTABLE_SOURCES PREPEND "${PROJECT_SOURCE_DIR}/")

# The Windows layer under them.
set(TOLVANE_WINDOWS_SOURCES
    app/encoding.cpp
    app/fatal.cpp
    app/properties.cpp
    app/text_heap.cpp
    app/window.cpp
    commands/run_command_line.cpp
    runtime/clock.cpp
    runtime/threads.cpp
)
list(TRANSFORM TOLVANE_WINDOWS_SOURCES PREPEND "${PROJECT_SOURCE_DIR}/")
