vimbel_add_test(mainwindow_batch_test SOURCES batch_test.cpp windowsandbox.cpp LIBS mainwindow)
