# Start-up, application object, menu bar, the main window class, its layout and settings rules.
set(MAINWINDOW_WINDOW_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/app.cpp
    ${CMAKE_CURRENT_LIST_DIR}/app.h
    ${CMAKE_CURRENT_LIST_DIR}/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main.h
    ${CMAKE_CURRENT_LIST_DIR}/mainlayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/menu.cpp
    ${CMAKE_CURRENT_LIST_DIR}/menu.h
    ${CMAKE_CURRENT_LIST_DIR}/settingsrules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/startup.cpp
    ${CMAKE_CURRENT_LIST_DIR}/startup.h
)
