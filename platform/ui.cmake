set(PLATFORM_UI_SOURCES testing.h)
