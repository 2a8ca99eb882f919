vimbel_add_test(platform_core_test HEADLESS
    SOURCES
        binarystream_test.cpp
        folderitem_test.cpp
        scratch.h
        system_test.cpp
        text_test.cpp
        thread_test.cpp
    LIBS framework)
