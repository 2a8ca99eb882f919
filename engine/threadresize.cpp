#include "engine/threadresize.h"

#include <exception>
#include <memory>
#include <system_error>
#include <utility>

#include "engine/foldersuffix.h"
#include "engine/framework/classregistry.h"
#include "engine/framework/exceptions.h"
#include "engine/framework/picture.h"
#include "engine/framework/system.h"
#include "engine/framework/text.h"
#include "engine/framework/userfolders.h"
#include "engine/outputfoldername.h"
#include "engine/pixelsize.h"
#include "engine/targetsize.h"
#include "engine/uniquename.h"
#include "strings/loc.h"

namespace {

// Replacing the output folder's place must never remove the source folder or a folder that holds
// it (an empty suffix, a name that already ends with the suffix, or a desktop that holds the
// source can all name such a place).
void refuseSourcePlace(const fw::FolderItem& place, const fw::FolderItemPtr& source) {
    if (place.samePlaceAs(*source))
        throw fw::RuntimeException("The output folder \"" + place.Name() +
                                   "\" would replace the source folder itself");
    for (fw::FolderItemPtr holder = source->Parent(); holder; holder = holder->Parent()) {
        if (place.samePlaceAs(*holder))
            throw fw::RuntimeException("The output folder \"" + place.Name() +
                                       "\" would replace a folder that holds the source folder");
    }
}

// A source folder that is not there lists no entries, and must not pass for an empty one: a batch
// of a folder deleted before the start, or while it runs, fails instead of "processing" nothing.
void requireSourceFolder(const fw::FolderItem& folder) {
    if (!folder.Directory())
        throw fw::RuntimeException("The source folder \"" + folder.Name() + "\" cannot be found");
}

// The entry at index i, which must exist: an entry that vanished since it was counted fails the
// run like any other lookup failure.
fw::FolderItemPtr entryAt(const fw::FolderItem& folder, std::int64_t i) {
    fw::FolderItemPtr entry = folder.ChildAt(i, true);
    if (!entry) {
        requireSourceFolder(folder);
        throw fw::NilObjectException("Entry " + fw::Str(i + 1) + " of the folder is gone");
    }
    return entry;
}

// A registry property bound to one field of the worker's settings.
template <typename T>
fw::PropertyInfo property(const char* name, fw::PropertyType type, T BatchSettings::*member) {
    return {name, type, [member](fw::Object& object, const fw::PropertyValue& value) {
                BatchSettings& settings = dynamic_cast<threadResize&>(object);
                settings.*member = std::get<T>(value);
            }};
}

}  // namespace

threadResize::threadResize() = default;

// A run still going would use this object's members and overrides while it is destroyed.
threadResize::~threadResize() {
    wait();
}

void threadResize::registerClass() {
    using fw::PropertyType;
    fw::ClassInfo info;
    info.name = "threadResize";
    info.base = "Thread";
    info.properties = {
        property("pictureType", PropertyType::Integer, &BatchSettings::pictureType),
        property("proportionalMode", PropertyType::Integer, &BatchSettings::proportionalMode),
        property("bigger", PropertyType::Boolean, &BatchSettings::bigger),
        property("resizeType", PropertyType::Integer, &BatchSettings::resizeType),
        property("proportionalSize", PropertyType::Integer, &BatchSettings::proportionalSize),
        property("boxWidth", PropertyType::Integer, &BatchSettings::boxWidth),
        property("boxHeight", PropertyType::Integer, &BatchSettings::boxHeight),
        property("independentHeight", PropertyType::Integer, &BatchSettings::independentHeight),
        property("independentWidth", PropertyType::Integer, &BatchSettings::independentWidth),
        property("independentWidthMode", PropertyType::Integer,
                 &BatchSettings::independentWidthMode),
        property("independentHeightMode", PropertyType::Integer,
                 &BatchSettings::independentHeightMode),
        property("jpegQuality", PropertyType::Integer, &BatchSettings::jpegQuality),
        property("nameWeb", PropertyType::Boolean, &BatchSettings::nameWeb),
        property("nameDOS", PropertyType::Boolean, &BatchSettings::nameDOS),
    };
    info.events = {"Run", "UserInterfaceUpdate"};
    fw::ClassRegistry::registerClass(std::move(info));
}

void threadResize::Event_Run() {
    std::string failure;
    try {
        runBatch();
        return;
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
        failure = "Unknown error";
    }
    // The window needs an end to return to idle; the pictures saved so far stay.
    fw::Beep();
    post("Error", failure);
}

void threadResize::runBatch() {
    if (!dir)
        throw fw::NilObjectException("No source folder");
    requireSourceFolder(*dir);  // before anything is created

    // Export format.
    std::string extension = "jpg";
    std::int64_t format = fw::Picture::FormatJPEG;
    if (pictureTypeOf(pictureType) == PictureType::PNG) {
        extension = "png";
        format = fw::Picture::FormatPNG;
    }

    const std::string suffix = foldersuffix(settings());
    const std::string name = outputfoldername(dir->Name(), suffix);
    const fw::FolderItemPtr out = makeOutputFolder(name);

    PixelSize size;  // carried from one picture to the next
    for (std::int64_t i = 0;; ++i) {
        // The count is read again in every pass: entries added or removed move the bound.
        if (dir->Count() - 1 < i) {
            requireSourceFolder(*dir);
            break;
        }
        post("Status",
             fw::ReplaceAll(fw::ReplaceAll(loc::theadprocessing(""), "<0>", fw::Str(i + 1)), "<1>",
                            fw::Str(dir->Count())));

        // Every entry is tried; what does not open as a picture is skipped.
        const fw::PicturePtr src = fw::Picture::Open(entryAt(*dir, i));
        if (!src)
            continue;

        const std::int64_t W = src->Width();
        const std::int64_t H = src->Height();
        size = targetsize(settings(), W, H, size);

        auto target = std::make_unique<fw::Picture>(size.width, size.height, 32);
        const auto targetWidth = static_cast<double>(target->Width());
        const auto targetHeight = static_cast<double>(target->Height());
        const auto sourceWidth = static_cast<double>(W);
        const auto sourceHeight = static_cast<double>(H);
        try {
            target->Graphics().DrawPicture(*src, 0, 0, targetWidth, targetHeight, 0, 0, sourceWidth,
                                           sourceHeight);
            fw::Picture* targetMask = target->Mask(true);
            fw::Picture* sourceMask = src->Mask(true);
            targetMask->Graphics().DrawPicture(*sourceMask, 0, 0, targetWidth, targetHeight, 0, 0,
                                               sourceWidth, sourceHeight);
        } catch (const fw::UnsupportedFormatException&) {
            // A file is read only as far as a draw needs it: one whose pixels turn out not to
            // decode did not open after all, and is skipped like any other.
            continue;
        }

        std::string base = setname(out, entryAt(*dir, i)->Name());
        base = uniquename(out, base, extension);
        target->Save(out->Child(base + "." + extension, true), format, jpegQuality);

        post("NbDone", std::int64_t{i + 1});
        if (stopRequested()) {
            clearStopRequest();
            break;
        }
    }

    fw::Beep();
    post("Done", true);
}

fw::FolderItemPtr threadResize::makeOutputFolder(const std::string& name) {
    const fw::FolderItemPtr parent = dir->Parent();
    if (!parent)
        throw fw::NilObjectException("The source folder has no parent folder");

    // Beside the source folder, or on the desktop when that place is locked; the desktop's item is
    // not tested for being locked.
    fw::FolderItemPtr place = parent;
    fw::FolderItemPtr out = place->Child(name, true);
    refuseSourcePlace(*out, dir);
    const bool besideLocked = out->Locked();
    if (besideLocked) {
        place = fw::SpecialFolder::Desktop();
        out = place->Child(name, true);
        refuseSourcePlace(*out, dir);
    }
    if (out->Exists()) {
        out->Delete();
        out = place->Child(name, true);
    }
    out->CreateAsFolder();
    // Without its folder every save would fail, each naming its picture: say what failed instead.
    if (const int error = out->LastErrorCode(); error != 0) {
        const std::string shown = "\"" + fw::sanitizedUtf8(place->NativePath()) + "\"";
        const std::string where =
            besideLocked
                ? "beside the source folder, where its place is locked, nor on the desktop " + shown
                : "in " + shown;
        throw fw::IOException("The output folder \"" + name + "\" could not be created " + where +
                                  ": " + std::generic_category().message(error),
                              error);
    }
    return out;
}

std::string threadResize::setname(const fw::FolderItemPtr& /*folder*/, const std::string& name) {
    using namespace fw;
    std::string result = name;

    // Only the last extension goes; a name without "." stays whole.
    const std::int64_t fields = CountFields(result, ".");
    if (fields > 1)
        result = Left(result, Len(result) - Len(NthField(result, ".", fields)) - 1);
    if (!nameWeb)
        return result;

    result = ReplaceAll(Lowercase(result), " ", "_");
    std::string web;
    const std::int64_t length = Len(result);
    for (std::int64_t i = 1; i <= length; ++i) {
        const std::string c = Mid(result, i, 1);
        const std::int64_t code = Asc(c);
        const bool letter = code >= Asc("a") && code <= Asc("z");
        const bool digit = code >= Asc("0") && code <= Asc("9");
        if (letter || digit || c == "_" || c == "." || c == "%")
            web += c;
    }
    if (nameDOS)
        web = Left(web, 8);
    return web;
}

void threadResize::Event_UserInterfaceUpdate(const std::vector<fw::Dictionary>& /*data*/) {}

void threadResize::setStopCheck(StopCheck check) {
    if (isRunning())
        throw fw::RuntimeException("The stop check cannot change while a batch runs");
    m_stopCheck = std::move(check);
}

bool threadResize::stopRequested() const {
    return m_stopCheck.requested && m_stopCheck.requested();
}

// A stop request left over from an earlier batch must not end this one after its first picture.
// Cleared before the worker starts, so that a Cancel pressed right after the start is kept.
void threadResize::aboutToRun() {
    clearStopRequest();
}

void threadResize::clearStopRequest() const {
    if (m_stopCheck.clear)
        m_stopCheck.clear();
}

void threadResize::post(const std::string& key, fw::Variant value) {
    AddUserInterfaceUpdate({fw::Pair{key, std::move(value)}});
}
