// A designer file's code module split off and put back: byte for byte when nothing changes,
// and back to the same bytes when a line added is taken out again.
#include <gtest/gtest.h>

#include "host/files/CodeSection.h"

namespace tolvane::host::files {
namespace {

TEST(CodeSection, SplitsAndJoinsKeepingEveryByteAndTheLastLineEnd) {
    const std::string designer = "VERSION 5.00\r\nBegin VB.Form F\r\nEnd\r\nAttribute VB_Name = \"F\"";
    const struct {
        const char* what;
        std::string bytes;
        int firstLine;
        std::vector<std::string> lines;
    } cases[] = {
        {"CR LF", designer + "\r\nOption Explicit\r\n\r\nSub X()\r\nEnd Sub\r\n", 5, {"Option Explicit", "", "Sub X()", "End Sub"}},
        {"no final line end", designer + "\r\nOption Explicit\r\nEnd Sub", 5, {"Option Explicit", "End Sub"}},
        {"no code", designer + "\r\n", 5, {}},
        {"no code, no final line end", designer, 5, {}},
        {"LF, no attributes", "VERSION 5.00\nBegin VB.Form F\nEnd\n\nDim x\n", 4, {"", "Dim x"}},
    };
    for (const auto& c : cases) {
        const CodeSection section = SplitCodeSection(c.bytes, "F.frm");
        EXPECT_EQ(section.lines, c.lines) << c.what;
        EXPECT_EQ(section.firstLine, c.firstLine) << c.what;
        EXPECT_EQ(JoinCodeSection(section, section.lines, section.ends), c.bytes) << c.what;

        auto lines = section.lines;
        auto ends = section.ends;
        lines.push_back("' added");
        ends.push_back("");
        const std::string added = JoinCodeSection(section, lines, ends);
        EXPECT_EQ(added.rfind(c.bytes, 0), 0u) << c.what;
        const bool endsLine = c.bytes.back() == '\n';
        EXPECT_EQ(added.back() == '\n', endsLine) << c.what;
        const CodeSection again = SplitCodeSection(added, "F.frm");
        EXPECT_EQ(again.lines.back(), "' added") << c.what;
        const std::vector<std::string> keptEnds(again.ends.begin(), again.ends.end() - 1);
        EXPECT_EQ(JoinCodeSection(again, c.lines, keptEnds), c.bytes) << c.what << ": taken out again";
    }
}

}  // namespace
}  // namespace tolvane::host::files
