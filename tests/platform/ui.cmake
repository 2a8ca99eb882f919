vimbel_add_test(platform_ui_test
    SOURCES
        application_test.cpp
        controls_test.cpp
        htmlviewer_test.cpp
        menus_test.cpp
        propertyblock_test.cpp
        window_test.cpp
        uitestwindow.h
    LIBS framework)
