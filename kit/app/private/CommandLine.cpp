#include <kit/app/private/CommandLine.h>

#include <algorithm>
#include <array>
#include <string_view>

namespace kit_private {

namespace {

// Qt's options that take a value, as "-style Fusion" or "-style=Fusion".
constexpr std::array<std::string_view, 19> kValued = {
    "style",
    "stylesheet",
    "platform",
    "platformpluginpath",
    "platformtheme",
    "plugin",
    "qwindowgeometry",
    "qwindowicon",
    "qwindowtitle",
    "session",
    "display",
    "geometry",
    "title",
    "icon",
    "name",
    "visual",
    "qmljsdebugger",
    "dialogs",
    "fontengine",
};

// Qt's options that stand alone.
constexpr std::array<std::string_view, 6> kFlags = {
    "widgetcount", "reverse", "nograb", "dograb", "sync", "testability",
};

template <size_t N>
bool Contains(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

CommandLine split_command_line(const std::vector<std::string>& arguments) {
    CommandLine line;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word == "--") {
            line.files.insert(line.files.end(), arguments.begin() + long(i) + 1, arguments.end());
            break;
        }
        // Qt takes its options with one dash or two.
        std::string_view name(word);
        if (name.size() < 2 || name[0] != '-') {
            line.files.push_back(word);
            continue;
        }
        name.remove_prefix(name[1] == '-' ? 2 : 1);
        const size_t equals = name.find('=');
        if (equals != std::string_view::npos && Contains(kValued, name.substr(0, equals))) {
            line.displayOptions.push_back(word);
        } else if (Contains(kValued, name)) {
            // An option whose value is missing is Qt's all the same.
            line.displayOptions.push_back(word);
            if (i + 1 < arguments.size())
                line.displayOptions.push_back(arguments[++i]);
        } else if (Contains(kFlags, name)) {
            line.displayOptions.push_back(word);
        } else {
            line.files.push_back(word);
        }
    }
    return line;
}

} // namespace kit_private
