#include "tools/batchoptions.h"

#include <charconv>
#include <stdexcept>
#include <string_view>
#include <variant>

#include "engine/threadresize.h"

namespace {

using Member = std::variant<std::int64_t threadResize::*, bool threadResize::*>;

struct SettingInfo {
    std::string_view name;
    Member member;
};

// Every worker setting but the source folder, which is the command's FOLDER.
constexpr SettingInfo kSettings[] = {
    {"pictureType", &threadResize::pictureType},
    {"proportionalMode", &threadResize::proportionalMode},
    {"bigger", &threadResize::bigger},
    {"resizeType", &threadResize::resizeType},
    {"proportionalSize", &threadResize::proportionalSize},
    {"boxWidth", &threadResize::boxWidth},
    {"boxHeight", &threadResize::boxHeight},
    {"independentHeight", &threadResize::independentHeight},
    {"independentWidth", &threadResize::independentWidth},
    {"independentWidthMode", &threadResize::independentWidthMode},
    {"independentHeightMode", &threadResize::independentHeightMode},
    {"jpegQuality", &threadResize::jpegQuality},
    {"nameWeb", &threadResize::nameWeb},
    {"nameDOS", &threadResize::nameDOS},
};

const SettingInfo* findSetting(std::string_view name) {
    for (const auto& info : kSettings)
        if (info.name == name)
            return &info;
    return nullptr;
}

[[noreturn]] void fail(const std::string& message) {
    throw std::invalid_argument(message);
}

std::int64_t parseInteger(std::string_view option, std::string_view text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        fail("bad value '" + std::string(text) + "' for --" + std::string(option) +
             ": expected a whole number in the 64-bit range");
    return value;
}

std::int64_t parseBoolean(std::string_view option, std::string_view text) {
    if (text == "1" || text == "true" || text == "True")
        return 1;
    if (text == "0" || text == "false" || text == "False")
        return 0;
    fail("bad value '" + std::string(text) + "' for --" + std::string(option) +
         ": expected 0, 1, true or false");
}

void parseOption(std::string_view argument, BatchOptions& options) {
    const std::string_view body = argument.substr(2);
    const auto equals = body.find('=');
    const std::string_view name = body.substr(0, equals);
    if (name == "help") {
        options.help = true;
        return;
    }
    const bool known = name == "cancel-after" || findSetting(name);
    if (!known)
        fail("unknown option --" + std::string(name));
    if (equals == std::string_view::npos)
        fail("option --" + std::string(name) + " needs a value (--" + std::string(name) + "=...)");
    const std::string_view value = body.substr(equals + 1);

    if (name == "cancel-after") {
        options.cancelAfter = parseInteger(name, value);
        if (options.cancelAfter < 1)
            fail("bad value '" + std::string(value) + "' for --cancel-after: expected 1 or more");
        return;
    }
    const SettingInfo* info = findSetting(name);
    const bool boolean = std::holds_alternative<bool threadResize::*>(info->member);
    options.settings.push_back(
        {std::string(name), boolean ? parseBoolean(name, value) : parseInteger(name, value)});
}

}  // namespace

BatchOptions parseBatchOptions(const std::vector<std::string>& arguments) {
    BatchOptions options;
    bool folderGiven = false;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument.starts_with("--")) {
            parseOption(argument, options);
        } else if (!optionsEnded && argument.size() > 1 && argument.starts_with("-")) {
            fail("unknown option " + argument);
        } else {
            if (folderGiven)
                fail("only one FOLDER may be given (got '" + argument + "' too)");
            options.folder = argument;
            folderGiven = true;
        }
    }
    if (!options.help && (!folderGiven || options.folder.empty()))
        fail("no FOLDER given");
    return options;
}

void applyBatchSettings(const BatchOptions& options, threadResize& worker) {
    for (const auto& setting : options.settings) {
        const SettingInfo* info = findSetting(setting.name);
        if (!info)
            fail("unknown setting " + setting.name);
        if (const auto* integer = std::get_if<std::int64_t threadResize::*>(&info->member))
            worker.** integer = setting.value;
        else
            worker.*std::get<bool threadResize::*>(info->member) = setting.value != 0;
    }
}

std::string batchUsage() {
    std::string usage =
        "usage: vimbel-batch [--SETTING=VALUE ...] [--cancel-after=N] FOLDER\n"
        "Runs one batch over FOLDER and prints each progress message as a JSON line.\n"
        "Settings (unset: 0 / false):";
    for (const auto& info : kSettings) {
        usage += "\n  --";
        usage += info.name;
        usage += std::holds_alternative<bool threadResize::*>(info.member) ? "=0|1" : "=N";
    }
    usage +=
        "\n  --cancel-after=N   set the stop flag after the N-th \"NbDone\"\n"
        "Exit status: 0 after \"Done\", 1 after \"Error\", 2 for a bad command line,\n"
        "128 + N when ended by signal N (SIGTERM, SIGINT, SIGHUP); the picture being saved\n"
        "then is not saved and leaves no file behind.\n";
    return usage;
}
