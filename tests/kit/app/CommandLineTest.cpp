#include <kit/app/private/CommandLine.h>

#include <gtest/gtest.h>

using kit_private::split_command_line;
using Words = std::vector<std::string>;

TEST(CommandLine, QtsOwnOptionsAndTheirValuesAreNeverFiles) {
    struct Case {
        Words arguments;
        Words options;
        Words files;
    };
    const Case cases[] = {
        {{"a.wav", "b.wav"}, {}, {"a.wav", "b.wav"}},
        // The value of an option is the option's, even where it names a file.
        {{"-stylesheet", "dark.qss", "a.wav"}, {"-stylesheet", "dark.qss"}, {"a.wav"}},
        {{"-style=Fusion", "--platform", "xcb", "-reverse", "x.mvl", "-qwindowgeometry", "9x9"},
         {"-style=Fusion", "--platform", "xcb", "-reverse", "-qwindowgeometry", "9x9"},
         {"x.mvl"}},
        // An option without its value is still Qt's.
        {{"a.wav", "-style"}, {"-style"}, {"a.wav"}},
        // Words that are no option of Qt's are files; "--" ends the options.
        {{"-", "-stylish", "--"}, {}, {"-", "-stylish"}},
        {{"-reverse", "--", "-style", "Fusion"}, {"-reverse"}, {"-style", "Fusion"}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(testing::PrintToString(row.arguments));
        kit_private::CommandLine line = split_command_line(row.arguments);
        EXPECT_EQ(line.displayOptions, row.options);
        EXPECT_EQ(line.files, row.files);
    }
}
