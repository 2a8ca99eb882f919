vimbel_add_test(platform_picture_test HEADLESS
    SOURCES
        picture_test.cpp
        picturefixtures.h
        scratch.h
    LIBS framework)
