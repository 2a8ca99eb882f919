#include "engine/outputfoldername.h"

#include "engine/framework/text.h"

std::string outputfoldername(const std::string& sourceName, const std::string& suffix) {
    // A suffix longer than 31 characters leaves nothing of the source name (Left of a negative
    // count is empty); the name still ends with the suffix.
    return fw::Left(sourceName, 31 - fw::Len(suffix)) + suffix;
}
