# Folder choice, run control and progress, preferences file.
set(MAINWINDOW_BATCH_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/folderchoice.cpp
    ${CMAKE_CURRENT_LIST_DIR}/runcontrol.cpp
    ${CMAKE_CURRENT_LIST_DIR}/preferences.cpp
)
