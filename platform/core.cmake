set(PLATFORM_CORE_SOURCES core_stub.cpp)
