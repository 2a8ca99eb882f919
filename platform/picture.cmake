set(PLATFORM_PICTURE_SOURCES
    atomicfile.cpp
    atomicfile.h
    exiforientation.cpp
    exiforientation.h
    imagebuffer.cpp
    imagebuffer.h
    jpegcodec.cpp
    jpegcodec.h
    picture.cpp
    pictureimpl.h
    picturesource.cpp
    picturesource.h
    pixelops.cpp
    pixelops.h
    qtcodec.cpp
    qtcodec.h
    resampler.cpp
    resampler.h
)
# The pixel loops are the hot path of a batch; they are written to vectorise.
set_source_files_properties(resampler.cpp pixelops.cpp PROPERTIES COMPILE_OPTIONS "-O3")
