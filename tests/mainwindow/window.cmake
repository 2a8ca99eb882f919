vimbel_add_test(mainwindow_window_test
    SOURCES menu_test.cpp mainwindow_test.cpp settingsrules_test.cpp windowsandbox.cpp
    LIBS mainwindow)
vimbel_add_test(mainwindow_startup_test
    SOURCES startup_test.cpp windowsandbox.cpp
    LIBS mainwindow)
